#include "platform/TextCase.h"

#include <QString>

namespace plat {

std::string FoldCase(std::string_view s)
{
    bool ascii = true;
    for (const char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        std::string out(s);
        for (auto& c : out)
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        return out;
    }
    return QString::fromUtf8(s.data(), qsizetype(s.size())).toCaseFolded().toStdString();
}

} // namespace plat
