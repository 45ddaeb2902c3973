# Writes a C++ source that holds a file's bytes exactly, as a string_view.
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -DNAMESPACE=ns -P EmbedText.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR byteCount "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
file(WRITE "${OUTPUT}"
"// Generated from ${SYMBOL}'s source file at build time; do not edit.
#include <string_view>
namespace ${NAMESPACE} {
namespace {
constexpr char kBytes[] = {${bytes} '\\0'};
}
extern const std::string_view ${SYMBOL}(kBytes, ${byteCount});
}
")
