#include "rtl/RichText.h"

#include <cctype>
#include <cstdlib>
#include <set>

namespace veskin {

namespace {

void AppendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Groups whose content is no visible text.
const std::set<std::string>& Destinations() {
    static const std::set<std::string> names = {
        "fonttbl", "colortbl", "stylesheet", "info", "pict", "header", "footer", "headerl",
        "headerr", "footerl", "footerr", "object", "filetbl", "listtable", "listoverridetable",
        "rsidtbl", "generator", "xmlnstbl", "themedata", "colorschememapping", "latentstyles"};
    return names;
}

}  // namespace

std::string RichTextToPlain(const std::string& rtf) {
    std::string out;
    int depth = 0;
    int skipDepth = 0;        // while > 0, the group at this depth is being skipped
    bool groupStart = false;  // the last token opened a group
    int ucSkip = 1;           // fallback characters after \uN
    int pendingSkip = 0;
    const std::size_t n = rtf.size();
    auto emit = [&](const std::string& text) {
        if (skipDepth == 0)
            out += text;
    };
    for (std::size_t i = 0; i < n; ++i) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
            groupStart = true;
            continue;
        }
        if (c == '}') {
            if (skipDepth == depth)
                skipDepth = 0;
            if (--depth <= 0)
                break;
            groupStart = false;
            continue;
        }
        const bool wasGroupStart = groupStart;
        groupStart = false;
        if (c == '\r' || c == '\n')
            continue;
        if (c != '\\') {
            if (pendingSkip > 0) {
                --pendingSkip;
                continue;
            }
            emit(std::string(1, c));
            continue;
        }
        if (++i >= n)
            break;
        const char d = rtf[i];
        if (d == '\\' || d == '{' || d == '}') {
            if (pendingSkip > 0) {
                --pendingSkip;
                continue;
            }
            emit(std::string(1, d));
        } else if (d == '\'') {
            const int hi = i + 1 < n ? HexDigit(rtf[i + 1]) : -1;
            const int lo = i + 2 < n ? HexDigit(rtf[i + 2]) : -1;
            if (hi >= 0 && lo >= 0) {
                i += 2;
                if (pendingSkip > 0) {
                    --pendingSkip;
                    continue;
                }
                std::string ch;
                AppendUtf8(ch, static_cast<unsigned long>(hi * 16 + lo));
                emit(ch);
            }
        } else if (d == '*') {
            if (skipDepth == 0)
                skipDepth = depth;
        } else if (d == '~') {
            emit("\xC2\xA0");
        } else if (d == '_') {
            emit("-");
        } else if (d == '\r' || d == '\n') {
            emit("\r\n");
        } else if (std::isalpha(static_cast<unsigned char>(d))) {
            std::size_t end = i;
            while (end < n && std::isalpha(static_cast<unsigned char>(rtf[end])))
                ++end;
            const std::string word = rtf.substr(i, end - i);
            std::size_t numEnd = end;
            if (numEnd < n && (rtf[numEnd] == '-' || std::isdigit(static_cast<unsigned char>(rtf[numEnd])))) {
                ++numEnd;
                while (numEnd < n && std::isdigit(static_cast<unsigned char>(rtf[numEnd])))
                    ++numEnd;
            }
            const bool hasParam = numEnd > end;
            const long param = hasParam ? std::strtol(rtf.substr(end, numEnd - end).c_str(), nullptr, 10) : 0;
            i = numEnd;
            if (i < n && rtf[i] == ' ')
                ;  // the delimiter space belongs to the control word
            else
                --i;
            if (wasGroupStart && skipDepth == 0 && Destinations().count(word))
                skipDepth = depth;
            else if (word == "par" || word == "line")
                emit("\r\n");
            else if (word == "tab")
                emit("\t");
            else if (word == "uc" && hasParam)
                ucSkip = static_cast<int>(param);
            else if (word == "u" && hasParam) {
                std::string ch;
                AppendUtf8(ch, static_cast<unsigned long>(param < 0 ? param + 65536 : param));
                emit(ch);
                pendingSkip = ucSkip;
            }
        }
    }
    return out;
}

}  // namespace veskin
