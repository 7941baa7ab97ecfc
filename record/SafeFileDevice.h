#pragma once

#include "SafeFileWriter.h"

#include <QIODevice>

namespace rovana {

// A write-only QIODevice that hands every byte to a SafeFileWriter, for producers that
// write to a device (QPdfWriter, QTextDocumentWriter, the summary's CSV and Excel), in
// chunks of kChunk bytes: a PDF writer writes a few bytes at a time. A failed write fails
// the device (its error string says why); the writer keeps the first failure for the
// caller, who closes the device (which writes what is left) and commits the writer only
// when everything was written.
class SafeFileDevice final : public QIODevice
{
public:
    static constexpr qsizetype kChunk = 1 << 18;

    explicit SafeFileDevice(SafeFileWriter& file) : m_file(file) {}
    ~SafeFileDevice() override { close(); }

    void close() override
    {
        if (isOpen())
            Flush();
        QIODevice::close();
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (!m_file.result())
            return -1;
        m_buffer.append(data, size);
        if (m_buffer.size() >= kChunk && !Flush())
            return -1;
        return size;
    }

private:
    bool Flush()
    {
        const bool written = m_buffer.isEmpty() || m_file.write(m_buffer);
        m_buffer.clear();
        if (!written)
            setErrorString(m_file.result().detail);
        return written;
    }

    SafeFileWriter& m_file;
    QByteArray m_buffer;
};

} // namespace rovana
