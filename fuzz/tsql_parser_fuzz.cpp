// libFuzzer entry point for the T-SQL parser: any input must parse or fail
// with a positioned error, and accepted input must print back to text that
// parses to the same printout. Not part of the default build. To run it:
//
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
//       fuzz/tsql_parser_fuzz.cpp data/tsql/lexer.cpp data/tsql/ast.cpp \
//       data/tsql/parser.cpp data/tsql/parser_statements.cpp -o tsql_parser_fuzz
//   ./tsql_parser_fuzz -max_len=4096 -timeout=5 corpus_dir
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/tsql/parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  zv::tsql::ParsedBatch batch = zv::tsql::ParseBatch(text);
  if (!batch.ok()) {
    if (batch.error->line < 1 || batch.error->column < 1) std::abort();
    return 0;
  }
  std::string once = zv::tsql::StatementsToString(batch.statements);
  zv::tsql::ParsedBatch again = zv::tsql::ParseBatch(once);
  if (!again.ok() || zv::tsql::StatementsToString(again.statements) != once) std::abort();
  return 0;
}
