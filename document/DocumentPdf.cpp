#include "DocumentPdf.h"

#include "SafeFileDevice.h"

#include <QPdfWriter>

namespace rovana::document {

namespace {

void SetUp(QPdfWriter& writer, const PageSetup& setup)
{
    writer.setResolution(setup.resolution);
    writer.setPageLayout(setup.layout);
    writer.setPdfVersion(setup.version);
    writer.setTitle(setup.title);
    writer.setCreator(setup.creator);
}

WriteResult CannotCreate(const QString& why)
{
    return {WriteStatus::CannotCreate, why, 0};
}

} // namespace

PaintResult WritePdf(QIODevice& out, Document& document, const PageSetup& setup,
                     const PageProgress& progress)
{
    QPdfWriter writer(&out);
    SetUp(writer, setup);
    return PaintDocument(writer, document, 0, -1, progress);
}

PdfFile::PdfFile(const QString& path, const PageSetup& setup, const WriteOptions& options)
    : m_strPath(path), m_Setup(setup), m_pFile(std::make_unique<SafeFileWriter>(path, options))
{}

PdfFile::~PdfFile() = default;

bool PdfFile::Write(Document& document, const PageProgress& progress)
{
    m_bComplete = false;
    if (!m_pFile->open()) {
        m_Result.write = m_pFile->result();
        return false;
    }
    PaintResult painted;
    {
        SafeFileDevice device(*m_pFile);
        device.open(QIODevice::WriteOnly);
        painted = WritePdf(device, document, m_Setup, progress);
    } // closed: the last chunk written
    m_Result.pages = painted.pages;
    m_Result.cancelled = painted.cancelled;
    m_Result.unreadable = painted.unreadable;
    m_Result.messages = painted.messages;
    if (!m_pFile->result())
        m_Result.write = m_pFile->result(); // a write failed: the disk is full, for instance
    else if (painted.cancelled)
        m_Result.write = CannotCreate(QStringLiteral("已取消"));
    else if (!painted.failure.isEmpty())
        m_Result.write = CannotCreate(painted.failure);
    m_bComplete = m_Result.write && !painted.cancelled;
    if (!m_bComplete)
        m_pFile->discard();
    return m_bComplete;
}

const DocumentResult& PdfFile::Commit()
{
    if (!m_bComplete) {
        if (m_Result.write)
            m_Result.write = CannotCreate(QStringLiteral("PDF 未能完整生成"));
        return m_Result;
    }
    m_Result.write = m_pFile->commit();
    m_Result.written = static_cast<bool>(m_Result.write);
    m_bComplete = false;
    return m_Result;
}

void PdfFile::Discard()
{
    m_pFile->discard();
    m_bComplete = false;
}

DocumentResult WritePdf(const QString& path, Document& document, const PageSetup& setup,
                        const WriteOptions& options, const PageProgress& progress)
{
    PdfFile file(path, setup, options);
    if (file.Write(document, progress))
        file.Commit();
    return file.Result();
}

} // namespace rovana::document
