#include "AnsiCodec.h"

#include <QList>

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace rovana {
namespace {

constexpr const char* kCodePage = "CP936";

// Owns one iconv conversion descriptor.
class Converter
{
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Back to the initial shift state, for the next text.
    void reset() { iconv(m_cd, nullptr, nullptr, nullptr, nullptr); }

    // Converts as much as possible; returns how the step ended (0 or errno).
    int step(const char*& in, size_t& inLeft, std::vector<char>& out)
    {
        char buffer[256];
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        auto* inPtr = const_cast<char*>(in);
        const size_t rc = iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft);
        const int err = rc == static_cast<size_t>(-1) ? errno : 0;
        in = inPtr;
        out.insert(out.end(), buffer, outPtr);
        return err;
    }

private:
    iconv_t m_cd;
};

// Runs the whole input through the converter. On a sequence it cannot convert it
// appends `replacement`, skips `skip` input bytes and goes on.
std::vector<char> ConvertAll(Converter& conv, const char* data, size_t size,
                             const std::vector<char>& replacement, size_t skip)
{
    std::vector<char> out;
    out.reserve(size * 2);
    const char* in = data;
    size_t left = size;
    while (left > 0) {
        const int err = conv.step(in, left, out);
        if (err == E2BIG)
            continue;
        if (err == EILSEQ || err == EINVAL) {
            out.insert(out.end(), replacement.begin(), replacement.end());
            const size_t n = left < skip ? left : skip;
            in += n;
            left -= n;
            continue;
        }
        if (err != 0)
            break;
    }
    return out;
}

// One converter per direction and thread, opened at its first use: opening one costs
// more than converting a text, and the summary decodes a dozen texts of every file on
// several threads at once (a descriptor is not safe to share between threads).
Converter& Decoder()
{
    thread_local Converter conv("UTF-16LE", kCodePage);
    conv.reset();
    return conv;
}

Converter& Encoder()
{
    thread_local Converter conv(kCodePage, "UTF-32LE");
    conv.reset();
    return conv;
}

} // namespace

QString FromAnsi(const QByteArray& bytes)
{
    Converter& conv = Decoder();
    if (!conv.valid())
        return QString::fromLatin1(bytes);
    const std::vector<char> replacement{'\xFD', '\xFF'}; // U+FFFD, little-endian
    const auto out =
        ConvertAll(conv, bytes.constData(), static_cast<size_t>(bytes.size()), replacement, 1);
    QString text;
    text.resize(static_cast<qsizetype>(out.size() / 2));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto lo = static_cast<unsigned char>(out[2 * i]);
        const auto hi = static_cast<unsigned char>(out[2 * i + 1]);
        text[i] = QChar(static_cast<char16_t>(lo | (hi << 8)));
    }
    return text;
}

QByteArray ToAnsi(const QString& text)
{
    Converter& conv = Encoder();
    const QList<uint> ucs4 = text.toUcs4();
    if (!conv.valid())
        return text.toLatin1();
    std::vector<char> in;
    in.reserve(static_cast<size_t>(ucs4.size()) * 4);
    for (uint cp : ucs4)
        for (int i = 0; i < 4; ++i)
            in.push_back(static_cast<char>((cp >> (8 * i)) & 0xFF));
    const auto out = ConvertAll(conv, in.data(), in.size(), {'?'}, 4);
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

} // namespace rovana
