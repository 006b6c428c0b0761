// cp932_literals — copies a UTF-8 C++ source with the non-ASCII text of its
// ordinary string and character literals turned into Shift-JIS (code page 932)
// byte escapes:
//
//     cp932_literals <source> <copy> [<name for diagnostics>]
//
// The library's texts are Shift-JIS, but its sources are UTF-8 and GCC's
// -fexec-charset has no counterpart in clang, which takes only UTF-8 as the
// execution character set. Every compiler therefore builds these copies.
// The copy starts with a #line naming the source, and keeps every line where
// it was, so that diagnostics, __FILE__ and __LINE__ name the real file.
//
// What is converted: ordinary "..." and '...' literals and ordinary raw
// strings R"d(...)d" (which become runs of ordinary literals, one per line,
// since a raw string cannot hold escapes). u8, u, U and L literals keep their
// own encodings and are copied as they are, like comments, #include lines and
// everything else. The escapes are octal with three digits: an octal escape
// ends after three digits, so a digit after it cannot run into it as one
// would into a hexadecimal escape.
//
// The conversion is done with iconv(3), the converter GCC's -fexec-charset
// uses, so the bytes are the ones that flag gave. A character that code page
// 932 lacks, or text that is not UTF-8, is an error naming the line. The copy
// is written only when it changes, so that a rebuilt tool recompiles nothing.
//
// The lexer is written here rather than taken from a library because it has
// to keep the text byte for byte outside the literals it rewrites.
#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Source {
    explicit Source(const std::string& source) : text(source) {}
    const std::string& text;
    std::size_t pos = 0;
    std::string out;
    std::string name;
    bool failed = false;

    bool AtEnd() const { return pos >= text.size(); }
    char Peek(std::size_t ahead = 0) const {
        return pos + ahead < text.size() ? text[pos + ahead] : '\0';
    }
    int Line() const {
        int line = 1;
        for (std::size_t i = 0; i < pos && i < text.size(); ++i)
            if (text[i] == '\n') ++line;
        return line;
    }
    void Fail(const char* what) {
        if (!failed) std::fprintf(stderr, "%s:%d: error: %s\n", name.c_str(), Line(), what);
        failed = true;
    }
    void Copy() { out += text[pos++]; }
};

bool IsIdentStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHigh(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// The code page 932 bytes of a run of UTF-8 text, or false.
bool ToCp932(const std::string& utf8, std::string& cp932) {
    static iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string in = utf8;
    cp932.assign(in.size() * 2 + 8, '\0');
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = cp932.data();
    std::size_t outLeft = cp932.size();
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return false;
    cp932.resize(cp932.size() - outLeft);
    return true;
}

void AppendOctal(std::string& out, unsigned char byte) {
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\%03o", byte);
    out += escape;
}

// A run of non-ASCII bytes inside an ordinary literal, as escapes.
void ConvertRun(Source& s) {
    std::size_t start = s.pos;
    while (!s.AtEnd() && IsHigh(s.Peek())) ++s.pos;
    std::string cp932;
    if (!ToCp932(s.text.substr(start, s.pos - start), cp932)) {
        s.pos = start;
        s.Fail("text that code page 932 cannot hold (or that is not UTF-8) in a string literal");
        s.pos = s.text.size();
        return;
    }
    for (char c : cp932) AppendOctal(s.out, static_cast<unsigned char>(c));
}

// An ordinary "..." or '...' literal from its opening quote.
void OrdinaryLiteral(Source& s, char quote) {
    s.Copy();
    while (!s.AtEnd()) {
        char c = s.Peek();
        if (c == quote) {
            s.Copy();
            return;
        }
        // An apostrophe in text the compiler never lexes as a literal (an
        // #error line, an #if 0 block) ends at the line's end; a real fault
        // is left to the compiler to report.
        if (c == '\n') return;
        if (c == '\\') {
            s.Copy();
            if (!s.AtEnd() && !IsHigh(s.Peek())) s.Copy();
        } else if (IsHigh(c)) {
            ConvertRun(s);
        } else {
            s.Copy();
        }
    }
}

// A prefixed literal (u8, u, U, L) from its opening quote: copied unchanged.
void CopyLiteral(Source& s, char quote) {
    s.Copy();
    while (!s.AtEnd() && s.Peek() != quote && s.Peek() != '\n') {
        if (s.Peek() == '\\') s.Copy();
        if (!s.AtEnd()) s.Copy();
    }
    if (!s.AtEnd() && s.Peek() == quote) s.Copy();
}

// A raw string from its opening quote; `convert` for an unprefixed one.
void RawString(Source& s, bool convert) {
    std::size_t open = s.text.find('(', s.pos);
    if (open == std::string::npos || open - s.pos > 17) {
        s.Fail("malformed raw string");
        return;
    }
    std::string close = ")" + s.text.substr(s.pos + 1, open - s.pos - 1) + "\"";
    std::size_t end = s.text.find(close, open + 1);
    if (end == std::string::npos) {
        s.Fail("unterminated raw string");
        return;
    }
    std::string body = s.text.substr(open + 1, end - open - 1);
    bool plain = true;
    for (char c : body) plain = plain && !IsHigh(c);
    if (!convert || plain) {
        s.out.append(s.text, s.pos, end + close.size() - s.pos);
        s.pos = end + close.size();
        return;
    }
    // The R prefix is already in the output; the ordinary literals replace it.
    s.out.pop_back();
    s.out += '"';
    for (std::size_t i = 0; i < body.size();) {
        char c = body[i];
        if (IsHigh(c)) {
            std::size_t start = i;
            while (i < body.size() && IsHigh(body[i])) ++i;
            std::string cp932;
            if (!ToCp932(body.substr(start, i - start), cp932)) {
                s.pos = open + 1 + start;
                s.Fail("text that code page 932 cannot hold (or that is not UTF-8) in a raw string");
                s.pos = s.text.size();
                return;
            }
            for (char b : cp932) AppendOctal(s.out, static_cast<unsigned char>(b));
            continue;
        }
        ++i;
        if (c == '\r' && i < body.size() && body[i] == '\n') continue;  // CR LF reads as LF
        if (c == '\n') {
            s.out += "\\n\"\n\"";  // a new literal on the next line keeps the line count
        } else if (c == '\\' || c == '"' || c == '?') {
            s.out += '\\';
            s.out += c;
        } else if (c == '\t') {
            s.out += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            AppendOctal(s.out, static_cast<unsigned char>(c));
        } else {
            s.out += c;
        }
    }
    s.out += '"';
    s.pos = end + close.size();
}

void SkipLineComment(Source& s) {
    while (!s.AtEnd() && s.Peek() != '\n') {
        if (s.Peek() == '\\' && (s.Peek(1) == '\n' || (s.Peek(1) == '\r' && s.Peek(2) == '\n'))) {
            s.Copy();
            if (s.Peek() == '\r') s.Copy();
        }
        s.Copy();
    }
}

void SkipBlockComment(Source& s) {
    std::size_t end = s.text.find("*/", s.pos + 2);
    std::size_t stop = end == std::string::npos ? s.text.size() : end + 2;
    s.out.append(s.text, s.pos, stop - s.pos);
    s.pos = stop;
}

// A preprocessing number, digit separators included (1'000 is no literal).
void Number(Source& s) {
    while (!s.AtEnd()) {
        char c = s.Peek();
        if ((c == 'e' || c == 'E' || c == 'p' || c == 'P') && (s.Peek(1) == '+' || s.Peek(1) == '-')) {
            s.Copy();
            s.Copy();
        } else if (c == '\'' && IsIdentChar(s.Peek(1))) {
            s.Copy();
            s.Copy();
        } else if (IsIdentChar(c) || c == '.') {
            s.Copy();
        } else {
            break;
        }
    }
}

// #include and friends name files, not texts: the line stays as it is.
bool IncludeDirective(Source& s) {
    std::size_t i = s.pos + 1;
    while (i < s.text.size() && (s.text[i] == ' ' || s.text[i] == '\t')) ++i;
    for (const char* word : {"include", "import"}) {
        if (s.text.compare(i, std::strlen(word), word) == 0) {
            SkipLineComment(s);
            return true;
        }
    }
    return false;
}

bool IsPrefix(const std::string& word, bool& raw, bool& ordinary) {
    static const char* const prefixes[] = {"u8", "u", "U", "L"};
    raw = !word.empty() && word.back() == 'R';
    std::string base = raw ? word.substr(0, word.size() - 1) : word;
    ordinary = base.empty();
    if (ordinary) return raw;
    for (const char* p : prefixes)
        if (base == p) return true;
    return false;
}

std::string Convert(Source& s) {
    bool lineStart = true;
    while (!s.AtEnd() && !s.failed) {
        char c = s.Peek();
        if (c == '\n') {
            s.Copy();
            lineStart = true;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            s.Copy();
            continue;
        }
        bool atLineStart = lineStart;
        lineStart = false;
        if (c == '/' && s.Peek(1) == '/') {
            SkipLineComment(s);
        } else if (c == '/' && s.Peek(1) == '*') {
            SkipBlockComment(s);
        } else if (c == '#' && atLineStart && IncludeDirective(s)) {
        } else if (IsDigit(c) || (c == '.' && IsDigit(s.Peek(1)))) {
            Number(s);
        } else if (IsIdentStart(c)) {
            std::size_t start = s.pos;
            while (!s.AtEnd() && IsIdentChar(s.Peek())) s.Copy();
            std::string word = s.text.substr(start, s.pos - start);
            bool raw = false;
            bool ordinary = false;
            if (s.Peek() == '"' && IsPrefix(word, raw, ordinary)) {
                if (raw) RawString(s, ordinary);
                else CopyLiteral(s, '"');
            } else if (s.Peek() == '\'' && IsPrefix(word, raw, ordinary) && !raw) {
                CopyLiteral(s, '\'');
            }
        } else if (c == '"' || c == '\'') {
            OrdinaryLiteral(s, c);
        } else {
            s.Copy();
        }
    }
    return s.out;
}

std::string QuotedPath(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '\\' || c == '"') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: %s <source> <copy> [<name for diagnostics>]\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    const std::string text = buffer.str();
    Source source(text);
    source.name = argc == 4 ? argv[3] : argv[1];
    std::string converted = "#line 1 " + QuotedPath(source.name) + "\n" + Convert(source);
    if (source.failed) return 1;

    std::ifstream old(argv[2], std::ios::binary);
    if (old) {
        std::ostringstream previous;
        previous << old.rdbuf();
        if (previous.str() == converted) return 0;
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(argv[2]).parent_path(), error);
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << converted;
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
