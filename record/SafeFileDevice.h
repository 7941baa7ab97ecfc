#pragma once

#include "SafeFileWriter.h"

#include <QIODevice>

namespace rovana {

// A write-only QIODevice that hands every byte to a SafeFileWriter, for producers that
// write to a device (QPdfWriter). A failed write fails the device; the writer keeps the
// first failure for the caller, who commits it only when everything was written.
class SafeFileDevice : public QIODevice
{
public:
    explicit SafeFileDevice(SafeFileWriter& file) : m_file(file) {}

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        return m_file.write(data, size) ? size : -1;
    }

private:
    SafeFileWriter& m_file;
};

} // namespace rovana
