# Doxygen input filter: the headers' plain // comments read as documentation.
#
# The headers are written with ordinary // comments. For the reference they
# are given to Doxygen as documentation comments, without changing a
# header:
#   - the comment block that opens a file documents the file;
#   - a comment block directly above a declaration (no blank line between)
#     documents that declaration; blocks followed by a blank line, such as
#     section titles, stay plain comments;
#   - a comment at the end of a declaration's line documents that
#     declaration, and comment lines right below it, indented further than
#     the line's code, continue it.
# Line numbers are kept, so Doxygen's warnings name the real lines.
function flush_block(documents,    i, line) {
    for (i = 1; i <= n; ++i) {
        line = block[i]
        if (documents) sub(/\/\//, "///", line)
        print line
    }
    n = 0
}
# Where the first // outside literals starts (0 when there is none).
function comment_start(line,    i, c, quote) {
    quote = ""
    for (i = 1; i < length(line); ++i) {
        c = substr(line, i, 1)
        if (quote != "") {
            if (c == "\\") ++i
            else if (c == quote) quote = ""
        } else if (c == "\"" || c == "'") {
            quote = c
        } else if (c == "/" && substr(line, i + 1, 1) == "/") {
            return i
        }
    }
    return 0
}
function is_comment(line) { return line ~ /^[ \t]*\/\// }
function indent(line) { match(line, /^[ \t]*/); return RLENGTH }
BEGIN { n = 0; block_start = 0; trailing_indent = -1 }
{
    line = $0
    if (is_comment(line)) {
        if (trailing_indent >= 0 && n == 0 && indent(line) > trailing_indent) {
            sub(/\/\//, "///<", line)
            print line
            next
        }
        trailing_indent = -1
        if (n == 0) block_start = NR
        block[++n] = line
        next
    }
    if (n > 0) {
        if (block_start == 1) {
            # The file's own comment: "\\file" at the end of its last line,
            # so that no line is added.
            block[n] = block[n] " \\file"
            flush_block(1)
        } else {
            flush_block(line !~ /^[ \t]*$/ && (line !~ /^[ \t]*#/ || line ~ /^[ \t]*#[ \t]*define/))
        }
    }
    trailing_indent = -1
    # A trailing comment: the first // outside string and character literals,
    # after code that ends a declaration.
    at = comment_start(line)
    if (at > 0 && substr(line, 1, at - 1) ~ /[;,{})][ \t]*$/ && substr(line, at + 2, 1) == " ") {
        trailing_indent = indent(line)
        code = substr(line, 1, at - 1)
        sub(/[ \t]*$/, "", code)
        line = code "  ///<" substr(line, at + 2)
    }
    print line
}
END { if (n > 0) flush_block(0) }
