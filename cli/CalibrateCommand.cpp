#include "CalibrateCommand.h"

#include "CliCommon.h"
#include "FolderCalibration.h"
#include "JsonWriter.h"
#include "SiteStore.h"
#include "SiteWaveSpeed.h"

#include <QDate>
#include <QFileInfo>

#include <cmath>
#include <ostream>
#include <string>

namespace rovana::cli {

namespace {

const char kUsage[] =
    "用法: rovana-cli calibrate --known-length METRES [--channel N] [--apply-to-folder] FILE.mg\n"
    "      rovana-cli calibrate --restore FOLDER\n"
    "由已知长度标定波速：按通道 N（1..3，缺省为报告通道）的端部与底部标记，求出使其长度\n"
    "为 METRES 米的波速，输出 {\"file\", \"channel\", \"speed\", "
    "\"previousSpeed\"}，不写入任何文件。\n"
    "--apply-to-folder 将该波速写入 FILE 所在文件夹的全部测试文件（各文件的长度与质量等级\n"
    "随之重算），先写入标定日志 rovana-calibration.json 与 rovana-site.json 中的标定记录，\n"
    "再逐个写入；输出 {\"speed\", \"changed\": [...], \"unchanged\": [{\"file\", \"reason\"}]}。\n"
    "--restore FOLDER 按标定日志撤销该文件夹上次的标定：每个文件恢复为标定前的内容；标定后\n"
    "又被修改的文件保持不变并列出；输出 {\"restored\": [...], \"unchanged\": [...]}。\n"
    "退出码: 0 完成；1 文件无法读取、无法标定、有文件未能写入或恢复；2 参数错误。\n";

struct Arguments
{
    double knownLength = 0.0;
    bool knownLengthSet = false;
    int channel = 0; // 1..3 when given
    bool applyToFolder = false;
    bool restore = false;
    QStringList paths;
};

QString Parse(const QStringList& args, Arguments& a)
{
    bool options = true;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (options && arg == QLatin1String("--")) {
            options = false;
        } else if (options && arg == QLatin1String("--known-length")) {
            bool ok = false;
            const double metres = hasValue ? args[i + 1].toDouble(&ok) : 0.0;
            if (!ok || !(metres > 0.0) || !std::isfinite(metres) || a.knownLengthSet)
                return QStringLiteral("--known-length 需要且只能给出一个大于 0 的长度（米）");
            a.knownLength = metres;
            a.knownLengthSet = true;
            ++i;
        } else if (options && arg == QLatin1String("--channel")) {
            bool ok = false;
            const int n = hasValue ? args[i + 1].toInt(&ok) : 0;
            if (!ok || n < 1 || n > kChannelCount || a.channel != 0)
                return QStringLiteral("--channel 需要且只能给出一个 1..3 的通道号");
            a.channel = n;
            ++i;
        } else if (options && arg == QLatin1String("--apply-to-folder")) {
            a.applyToFolder = true;
        } else if (options && arg == QLatin1String("--restore")) {
            a.restore = true;
        } else if (options && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return QStringLiteral("未知选项: ") + arg;
        } else {
            a.paths.append(arg);
        }
    }
    if (a.restore) {
        if (a.knownLengthSet || a.channel != 0 || a.applyToFolder)
            return QStringLiteral("--restore 不能与其他选项一起给出");
        return a.paths.size() == 1 ? QString() : QStringLiteral("--restore 需要一个文件夹路径");
    }
    if (!a.knownLengthSet)
        return QStringLiteral("需要 --known-length METRES");
    return a.paths.size() == 1 ? QString() : QStringLiteral("需要一个 .mg 文件路径");
}

std::string Outcomes(const QList<FileOutcome>& outcomes, const QString& folder)
{
    std::string out = "[";
    for (qsizetype i = 0; i < outcomes.size(); ++i)
        out += (i == 0 ? "{\"file\": " : ", {\"file\": ") +
               json::Quote(folder + QLatin1Char('/') + outcomes[i].file) +
               ", \"reason\": " + json::Quote(outcomes[i].reason) + "}";
    return out + "]";
}

std::string Names(const QStringList& names, const QString& folder)
{
    std::string out = "[";
    for (qsizetype i = 0; i < names.size(); ++i)
        out += (i == 0 ? "" : ", ") + json::Quote(folder + QLatin1Char('/') + names[i]);
    return out + "]";
}

// The failures on standard error, each after its file's path.
void TellFailures(const QList<FileOutcome>& outcomes, const QString& folder, std::ostream& err)
{
    for (const FileOutcome& o : outcomes)
        if (o.failure)
            err << (folder + QLatin1Char('/') + o.file).toStdString() << ": "
                << o.reason.toStdString() << "\n";
}

int Restore(const QString& folder, std::ostream& out, std::ostream& err)
{
    SiteStore store(folder);
    const RestoreOutcome r = RestoreFolderCalibration(store);
    if (!r.error.isEmpty()) {
        err << folder.toStdString() << ": " << r.error.toStdString() << "\n";
        return kExitFailure;
    }
    if (!store.Warning().isEmpty())
        err << store.Path().toStdString() << ": " << store.Warning().toStdString() << "\n";
    TellFailures(r.unchanged, folder, err);
    out << "{\"restored\": " << Names(r.restored, folder)
        << ", \"unchanged\": " << Outcomes(r.unchanged, folder) << "}\n";
    return r.HasFailures() ? kExitFailure : kExitOk;
}

} // namespace

int RunCalibrate(const QStringList& args, std::ostream& out, std::ostream& err)
{
    if (WantsHelp(args)) {
        out << kUsage;
        return kExitOk;
    }
    Arguments a;
    if (const QString why = Parse(args, a); !why.isEmpty())
        return UsageError(err, why, kUsage);
    const QString& path = a.paths.front();
    if (a.restore)
        return Restore(path, out, err);

    const auto data = LoadFile(path, err);
    if (!data)
        return kExitFailure;
    const int channel = a.channel > 0 ? a.channel - 1
                        : data->m_nReportChannel >= 0 && data->m_nReportChannel < kChannelCount
                            ? data->m_nReportChannel
                            : 0;
    QString why;
    const std::optional<int> speed = CalibratedWaveSpeed(*data, channel, a.knownLength, &why);
    if (!speed) {
        err << path.toStdString() << ": " << why.toStdString() << "\n";
        return kExitFailure;
    }
    if (!a.applyToFolder) {
        out << "{\"file\": " << json::Quote(path) << ", \"channel\": " << channel + 1
            << ", \"speed\": " << *speed << ", \"previousSpeed\": " << data->m_nWaveSpeed << "}\n";
        return kExitOk;
    }

    const QString folder = QFileInfo(path).path();
    SiteStore store(folder);
    if (!store.Writable()) {
        err << store.Path().toStdString() << ": " << store.Warning().toStdString() << "\n";
        return kExitFailure;
    }
    const SiteCalibration record{QFileInfo(path).fileName(), a.knownLength, *speed,
                                 data->m_nWaveSpeed, QDate::currentDate().toString(Qt::ISODate)};
    const CalibrationOutcome r =
        ApplyFolderCalibration(store, PlanFolderCalibration(folder, *speed, record));
    if (!r.error.isEmpty()) {
        err << folder.toStdString() << ": " << r.error.toStdString() << "\n";
        return kExitFailure;
    }
    TellFailures(r.unchanged, folder, err);
    out << "{\"speed\": " << *speed << ", \"changed\": " << Names(r.changed, folder)
        << ", \"unchanged\": " << Outcomes(r.unchanged, folder) << "}\n";
    return r.HasFailures() ? kExitFailure : kExitOk;
}

} // namespace rovana::cli
