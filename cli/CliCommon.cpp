#include "CliCommon.h"

#include <ostream>

namespace rovana::cli {

bool WantsHelp(const QStringList& args)
{
    for (const QString& a : args) {
        if (a == QLatin1String("--"))
            return false;
        if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            return true;
    }
    return false;
}

int UsageError(std::ostream& err, const QString& why, const char* usage)
{
    err << why.toStdString() << "\n" << usage;
    return kExitUsage;
}

void ReportFileFailure(std::ostream& err, const QString& path, const QString& what)
{
    err << path.toStdString() << ": " << what.toStdString() << "\n";
}

std::unique_ptr<TestRecord> LoadFile(const QString& path, std::ostream& err)
{
    auto data = std::make_unique<TestRecord>();
    const LoadResult result = data->Load(path);
    if (result)
        return data;
    ReportFileFailure(err, path, result.described());
    return nullptr;
}

int RunOnOneFile(const QStringList& args, std::ostream& out, std::ostream& err, const char* usage,
                 const std::function<void(const TestRecord&, std::ostream&)>& print)
{
    if (WantsHelp(args)) {
        out << usage;
        return kExitOk;
    }
    QStringList files;
    bool options = true;
    for (const QString& a : args) {
        if (options && a == QLatin1String("--"))
            options = false;
        else if (options && a.startsWith(QLatin1Char('-')) && a.size() > 1)
            return UsageError(err, QStringLiteral("未知选项: ") + a, usage);
        else
            files.append(a);
    }
    if (files.size() != 1)
        return UsageError(err, QStringLiteral("需要一个 .mg 文件路径"), usage);
    const auto data = LoadFile(files.front(), err);
    if (!data)
        return kExitFailure;
    print(*data, out);
    return kExitOk;
}

} // namespace rovana::cli
