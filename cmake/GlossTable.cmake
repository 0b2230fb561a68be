# Turns display/Gloss.tsv into the C++ tables of display/Gloss.cpp; run at build time by
#   cmake -DGLOSS_IN=.../Gloss.tsv -DGLOSS_OUT=.../GlossData.cpp -P GlossTable.cmake
# A text without a row gets a null pointer (the tests name it), "-" an empty string.
cmake_minimum_required(VERSION 3.25)

set(TEXT_COUNT 735)
file(READ "${GLOSS_IN}" content)
# Everything that is special to C strings or to CMake lists is written as an octal escape, so
# that the rows can be split at the line ends and copied into string literals unchanged.
string(REPLACE "\\" "\\134" content "${content}")
string(REPLACE "\"" "\\042" content "${content}")
string(REPLACE ";" "\\073" content "${content}")
string(REPLACE "[" "\\133" content "${content}")
string(REPLACE "]" "\\135" content "${content}")
string(REPLACE "\r" "" content "${content}")
string(REPLACE "\n" ";" rows "${content}")

set(labels "")
set(words "")
set(line_number 0)
foreach(row IN LISTS rows)
    math(EXPR line_number "${line_number} + 1")
    if(row STREQUAL "" OR row MATCHES "^#")
        continue()
    endif()
    string(FIND "${row}" "\t" tab)
    if(tab LESS 1)
        message(FATAL_ERROR "${GLOSS_IN}:${line_number}: a row is a key, a TAB and the English")
    endif()
    string(SUBSTRING "${row}" 0 ${tab} key)
    math(EXPR start "${tab} + 1")
    string(SUBSTRING "${row}" ${start} -1 english)
    if(key MATCHES "^[0-9]+$")
        if(key GREATER_EQUAL TEXT_COUNT)
            message(FATAL_ERROR "${GLOSS_IN}:${line_number}: there is no text ${key}")
        endif()
        string(REGEX REPLACE "^0+([0-9])" "\\1" key "${key}")
        if(DEFINED text_${key})
            message(FATAL_ERROR "${GLOSS_IN}:${line_number}: text ${key} has a second row")
        endif()
        if(english STREQUAL "-")
            set(english "")
        endif()
        set(text_${key} "${english}")
    elseif(key MATCHES "^=")
        string(SUBSTRING "${key}" 1 -1 word)
        string(APPEND words "    {\"${word}\", \"${english}\"},\n")
    else()
        string(APPEND labels "    {\"${key}\", \"${english}\"},\n")
    endif()
endforeach()

set(texts "")
math(EXPR last "${TEXT_COUNT} - 1")
foreach(n RANGE 0 ${last})
    if(DEFINED text_${n})
        string(APPEND texts "    \"${text_${n}}\",\n")
    else()
        string(APPEND texts "    nullptr,\n")
    endif()
endforeach()

set(out "// Generated from display/Gloss.tsv by cmake/GlossTable.cmake; edit the .tsv file.
#include \"display/Gloss.h\"

namespace kv410 {

const char* const GlossTexts[GlossTextCount] = {
${texts}};

const GlossPair GlossLabels[] = {
${labels}};
const int GlossLabelCount = static_cast<int>(sizeof GlossLabels / sizeof GlossLabels[0]);

const GlossPair GlossWords[] = {
${words}};
const int GlossWordCount = static_cast<int>(sizeof GlossWords / sizeof GlossWords[0]);

} // namespace kv410
")
file(WRITE "${GLOSS_OUT}" "${out}")
