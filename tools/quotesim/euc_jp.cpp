#include "euc_jp.h"

#include "core/text.h"

namespace tav::quotesim {

namespace {

bool isTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

}  // namespace

std::string eucJpFromSjis(std::string_view sjis) {
    std::string euc;
    euc.reserve(sjis.size() + sjis.size() / 4);
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        auto lead = static_cast<unsigned char>(sjis[i]);
        if (lead < 0x80) {
            euc += static_cast<char>(lead);
            continue;
        }
        if (lead >= 0xA1 && lead <= 0xDF) {  // half-width katakana
            euc += '\x8E';
            euc += static_cast<char>(lead);
            continue;
        }
        bool paired = text::isSjisLeadByte(lead) && i + 1 < sjis.size() &&
                      isTrailByte(static_cast<unsigned char>(sjis[i + 1]));
        if (!paired) {
            euc += '?';
            continue;
        }
        auto trail = static_cast<unsigned char>(sjis[++i]);
        if (lead >= 0xF0) {  // beyond row 94: no EUC-JP form
            euc += '?';
            continue;
        }
        // Each lead byte covers two JIS rows; the trail byte says which.
        int rowPair = (lead <= 0x9F ? lead - 0x70 : lead - 0xB0) * 2;
        int row = 0;
        int cell = 0;
        if (trail < 0x9F) {
            row = rowPair - 1;
            cell = trail - (trail >= 0x80 ? 0x20 : 0x1F);
        } else {
            row = rowPair;
            cell = trail - 0x7E;
        }
        euc += static_cast<char>(row | 0x80);
        euc += static_cast<char>(cell | 0x80);
    }
    return euc;
}

std::string eucJpFromUtf8(std::string_view utf8) {
    return eucJpFromSjis(text::sjisFromUtf8(utf8));
}

}  // namespace tav::quotesim
