# Writes a text file into a C++ source as one constant of the kv410 namespace; run at build time by
#   cmake -DTEXT_IN=FILE -DTEXT_OUT=FILE.cpp -DTEXT_NAME=Name -P EmbedText.cmake
# The text becomes one raw string literal; a compiler need take no literal over 65536 bytes.
cmake_minimum_required(VERSION 3.25)

file(READ "${TEXT_IN}" content)
string(FIND "${content}" ")kv410text\"" clash)
if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${TEXT_IN} holds the literal's closing mark )kv410text\"")
endif()
string(LENGTH "${content}" length)
if(length GREATER 65000)
    message(FATAL_ERROR "${TEXT_IN} is too long for one string literal")
endif()
set(pieces "R\"kv410text(${content})kv410text\"")
file(WRITE "${TEXT_OUT}.new"
    "// Generated from ${TEXT_IN} by cmake/EmbedText.cmake: do not edit.\n"
    "namespace kv410 {\nextern const char* const ${TEXT_NAME};\n"
    "const char* const ${TEXT_NAME} =\n${pieces};\n} // namespace kv410\n")
file(COPY_FILE "${TEXT_OUT}.new" "${TEXT_OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${TEXT_OUT}.new")
