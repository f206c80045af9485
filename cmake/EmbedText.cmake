# Turns a text file into a C++ source defining `extern const char NAME[]`, for
# resources built into a program (run with cmake -P: INPUT, OUTPUT, NAME).
file(READ "${INPUT}" text)
string(FIND "${text}" ")corvath_embed\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} holds the raw string's closing delimiter")
endif()
file(WRITE "${OUTPUT}.new" "// Made from ${INPUT}; do not edit.\nnamespace corvath {\nextern const char ${NAME}[];\nconst char ${NAME}[] = R\"corvath_embed(${text})corvath_embed\";\n}  // namespace corvath\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
