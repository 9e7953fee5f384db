#include "codepage.h"

#include <QList>

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace dalko::report {

namespace {

class Converter {
  public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != iconv_t(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    // Converts the whole input; a unit that cannot be converted is skipped (inputStep bytes)
    // and `replacement` written in its place.
    QByteArray run(const char *input, size_t size, size_t inputStep, const QByteArray &replacement)
    {
        QByteArray output;
        if (m_cd == iconv_t(-1))
            return output;
        // Converted in pieces: the buffer never grows with the input.
        std::vector<char> buffer(std::min<size_t>(4 * size + 16, 64 * 1024));
        char *in = const_cast<char *>(input);
        size_t inLeft = size;
        while (inLeft > 0) {
            char *out = buffer.data();
            size_t outLeft = buffer.size();
            const size_t result = iconv(m_cd, &in, &inLeft, &out, &outLeft);
            output.append(buffer.data(), out - buffer.data());
            if (result == size_t(-1) && errno != E2BIG) {
                const size_t skip = std::min(inputStep, inLeft);
                in += skip;
                inLeft -= skip;
                output += replacement;
            }
        }
        return output;
    }

  private:
    iconv_t m_cd;
};

} // namespace

QByteArray toWindows1251(const QString &text)
{
    const QList<uint> units = text.toUcs4();
    return Converter("WINDOWS-1251", "UTF-32LE")
        .run(reinterpret_cast<const char *>(units.constData()), units.size() * sizeof(uint),
             sizeof(uint), QByteArrayLiteral("?"));
}

QString fromWindows1251(QByteArrayView bytes) { return fromCodePage("WINDOWS-1251", bytes); }

QString fromCodePage(const char *codePage, QByteArrayView bytes)
{
    const QByteArray utf8 =
        Converter("UTF-8", codePage)
            .run(bytes.constData(), size_t(bytes.size()), 1, QByteArrayLiteral("\xEF\xBF\xBD"));
    return QString::fromUtf8(utf8);
}

} // namespace dalko::report
