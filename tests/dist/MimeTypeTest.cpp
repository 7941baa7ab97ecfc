// The ".mg" file type as a desktop sees it: the MIME description that the package installs
// goes into a temporary XDG data folder, update-mime-database compiles it, and
// QMimeDatabase (which reads the compiled cache) must then name the type of test files.
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMap>
#include <QMimeDatabase>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kType = QStringLiteral("application/x-rovana-mg");

// The comments of the MIME description by language ("" for the untranslated one).
QMap<QString, QString> ReadComments(const QString& path)
{
    QMap<QString, QString> comments;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return comments;
    QXmlStreamReader xml(&f);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement &&
            xml.name() == QLatin1String("comment")) {
            const QString lang = xml.attributes().value(QStringLiteral("xml:lang")).toString();
            comments.insert(lang, xml.readElementText());
        }
    }
    if (xml.hasError())
        return {};
    return comments;
}

class MimeTypeTest : public ::testing::Test
{
protected:
    // One data folder per test process, set up before the first use of QMimeDatabase
    // (which reads the XDG variables once): XDG_DATA_HOME holds the description and its
    // compiled cache, XDG_DATA_DIRS an empty folder, so nothing of the system's database
    // can name the type. Done in SetUp, not SetUpTestSuite, so that a failure fails the
    // test instead of skipping it.
    void SetUp() override
    {
        if (s_dir)
            return;
        auto dir = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(dir->isValid());
        const QString home = dir->filePath(QStringLiteral("home"));
        const QString packages = home + QStringLiteral("/mime/packages");
        ASSERT_TRUE(QDir().mkpath(packages));
        ASSERT_TRUE(QDir().mkpath(dir->filePath(QStringLiteral("none"))));
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(ROVANA_MIME_XML), packages + QStringLiteral("/rovana.xml")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(dir->filePath(QStringLiteral("none"))));

        QProcess update;
        update.start(QStringLiteral("update-mime-database"), {home + QStringLiteral("/mime")});
        ASSERT_TRUE(update.waitForFinished(60000)) << "update-mime-database did not run";
        ASSERT_EQ(update.exitStatus(), QProcess::NormalExit);
        const QByteArray errors = update.readAllStandardError();
        ASSERT_EQ(update.exitCode(), 0) << errors.toStdString();
        // It warns about anything in the description it does not understand.
        ASSERT_EQ(errors.toStdString(), "");
        ASSERT_TRUE(QFile::exists(home + QStringLiteral("/mime/mime.cache")));
        s_dir = std::move(dir);
    }

    static std::unique_ptr<QTemporaryDir> s_dir;
};

std::unique_ptr<QTemporaryDir> MimeTypeTest::s_dir;

TEST_F(MimeTypeTest, FileNamesEndingInMgAreTestFiles)
{
    struct Row
    {
        const char* name;
        bool isTestFile;
    };
    const Row rows[] = {
        {"x.mg", true},      {"MG0001.mg", true}, {"X.MG", true},
        {"测试 1.mg", true}, {"x.mg.bak", false}, {"x.mgz", false},
        {"xmg", false},      {"x.img", false},    {"x.mg.txt", false},
    };
    QMimeDatabase db;
    ASSERT_TRUE(db.mimeTypeForName(kType).isValid()) << "the type is not in the database";
    for (const Row& row : rows) {
        const QString name = QString::fromUtf8(row.name);
        const QMimeType type = db.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
        EXPECT_EQ(type.name() == kType, row.isTestFile)
            << row.name << " -> " << type.name().toStdString();
    }
}

TEST_F(MimeTypeTest, AnInstrumentFileOnDiskIsATestFile)
{
    // The file has no signature: its name decides.
    const QString sample = QStringLiteral(ROVANA_SAMPLES_DIR "/MG0001.mg");
    ASSERT_TRUE(QFile::exists(sample));
    QMimeDatabase db;
    EXPECT_EQ(db.mimeTypeForFile(sample).name(), kType);
    // Its contents alone do not name the type: the description has no magic to match.
    EXPECT_NE(db.mimeTypeForFile(sample, QMimeDatabase::MatchContent).name(), kType);
    EXPECT_EQ(db.mimeTypeForName(kType).preferredSuffix(), QStringLiteral("mg"));
}

TEST_F(MimeTypeTest, CommentsInChineseAndEnglish)
{
    const QMap<QString, QString> comments = ReadComments(QStringLiteral(ROVANA_MIME_XML));
    ASSERT_FALSE(comments.value(QString()).isEmpty()) << "no untranslated (English) comment";
    ASSERT_FALSE(comments.value(QStringLiteral("zh_CN")).isEmpty()) << "no Chinese comment";

    const struct
    {
        QLocale locale;
        QString comment;
    } rows[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), comments.value(QString())},
        {QLocale(QLocale::Chinese, QLocale::China), comments.value(QStringLiteral("zh_CN"))},
    };
    for (const auto& row : rows) {
        QLocale::setDefault(row.locale);
        EXPECT_EQ(QMimeDatabase().mimeTypeForName(kType).comment(), row.comment)
            << row.locale.name().toStdString();
    }
}

} // namespace
