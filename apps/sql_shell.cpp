// The T-SQL shell: GO-separated batches, result sets as tables or CSV.
#include "apps/sql_shell.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>
#include <vector>

#include <fmt/format.h>

#include "data/datetime.h"
#include "data/error.h"

namespace zv::shell_sql {
namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// Display width of a UTF-8 text: one column per code point.
size_t Width(std::string_view s) {
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

bool RightAligned(const FieldInfo& field) {
  return ado::IsNumericType(field.type) && field.type != ado::kBoolean;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string ErrorText(const DbError& e) {
  std::string text = "Msg " + std::to_string(e.native_error);
  if (!e.sql_state.empty()) text += ", SQLSTATE " + e.sql_state;
  return text + ": " + e.description;
}

}  // namespace

std::optional<int> BatchSeparator(std::string_view line) {
  std::string_view s = TrimBlanks(line);
  if (s.size() < 2 || std::toupper(static_cast<unsigned char>(s[0])) != 'G' ||
      std::toupper(static_cast<unsigned char>(s[1])) != 'O') {
    return std::nullopt;
  }
  s.remove_prefix(2);
  if (const size_t comment = s.find("--"); comment != std::string_view::npos) {
    s = s.substr(0, comment);
  }
  s = TrimBlanks(s);
  if (s.empty()) return 1;
  int count = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), count);
  if (ec != std::errc() || end != s.data() + s.size() || count < 1) return std::nullopt;
  return count;
}

std::string FormatCell(const Variant& value, const FieldInfo& field, OutputFormat format) {
  if (value.IsNull() || value.IsEmpty()) return format == OutputFormat::kCsv ? "" : "NULL";
  switch (value.type()) {
    case VarType::kBoolean:
      return value.ToBool() ? "1" : "0";
    case VarType::kDecimal: {
      // A DECIMAL column shows every decimal of its scale, as the server does.
      Decimal d = value.ToDecimal();
      if ((field.type == ado::kNumeric || field.type == ado::kDecimal) &&
          field.numeric_scale > d.scale()) {
        d = d.Rescale(field.numeric_scale);
      }
      return d.ToString();
    }
    case VarType::kDouble:
    case VarType::kSingle:
      return fmt::format("{}", value.ToDouble());
    case VarType::kDate: {
      const DateParts p = SplitDate(value.ToDate());
      if (field.type == ado::kDBDate) return fmt::format("{:04}-{:02}-{:02}", p.year, p.month, p.day);
      return fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}.{:03}", p.year, p.month, p.day,
                         p.hour, p.minute, p.second, p.millisecond);
    }
    default:
      return value.ToString();
  }
}

void PrintRecordset(Recordset& rs, OutputFormat format, std::ostream& out) {
  const int columns = rs.FieldCount();
  std::vector<std::vector<std::string>> rows;
  if (rs.RecordCount() > 0) {
    rs.MoveFirst();
    for (; !rs.Eof(); rs.MoveNext()) {
      std::vector<std::string>& row = rows.emplace_back();
      row.reserve(static_cast<size_t>(columns));
      for (int c = 0; c < columns; ++c) row.push_back(FormatCell(rs.Value(c), rs.Field(c), format));
    }
  }
  if (format == OutputFormat::kCsv) {
    for (int c = 0; c < columns; ++c) out << (c ? "," : "") << CsvField(rs.Field(c).name);
    out << "\n";
    for (const auto& row : rows) {
      for (int c = 0; c < columns; ++c) out << (c ? "," : "") << CsvField(row[static_cast<size_t>(c)]);
      out << "\n";
    }
    return;
  }
  std::vector<size_t> width(static_cast<size_t>(columns));
  for (int c = 0; c < columns; ++c) width[static_cast<size_t>(c)] = Width(rs.Field(c).name);
  for (const auto& row : rows) {
    for (size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], Width(row[c]));
  }
  auto cell = [&](const std::string& text, int c) {
    const size_t pad = width[static_cast<size_t>(c)] - Width(text);
    if (RightAligned(rs.Field(c))) return std::string(pad, ' ') + text;
    return text + std::string(pad, ' ');
  };
  auto line = [&](auto text_of) {
    std::string s;
    for (int c = 0; c < columns; ++c) {
      if (c) s += " | ";
      s += text_of(c);
    }
    while (!s.empty() && s.back() == ' ') s.pop_back();
    out << s << "\n";
  };
  line([&](int c) { return cell(rs.Field(c).name, c); });
  line([&](int c) { return std::string(width[static_cast<size_t>(c)], '-'); });
  for (const auto& row : rows) line([&](int c) { return cell(row[static_cast<size_t>(c)], c); });
  out << "(" << rows.size() << (rows.size() == 1 ? " row)" : " rows)") << "\n";
}

bool ScriptRunner::RunBatch(std::string_view batch, std::string_view source, int64_t first_line) {
  ++batches_;
  try {
    int32_t affected = -1;
    std::shared_ptr<Recordset> rs = connection_.Execute(batch, &affected, ado::kCmdText);
    const bool any = rs != nullptr;
    for (; rs != nullptr; rs = rs->NextRecordset()) {
      if (result_sets_ > 0) out_ << "\n";
      PrintRecordset(*rs, format_, out_);
      ++result_sets_;
    }
    if (!any && format_ == OutputFormat::kTable && affected > 0) {
      out_ << "(" << affected << (affected == 1 ? " row affected)" : " rows affected)") << "\n";
    }
    out_.flush();
    return true;
  } catch (const std::exception& e) {
    ++failures_;
    out_.flush();
    err_ << source << ":" << first_line << ": batch failed\n";
    const Errors& errors = connection_.GetErrors();
    if (errors.Count() == 0) {
      err_ << "  " << e.what() << "\n";
    } else {
      for (const DbError& item : errors.items()) err_ << "  " << ErrorText(item) << "\n";
    }
    err_.flush();
    return false;
  }
}

void ScriptRunner::Flush(std::string* batch, int repeat, std::string_view source,
                         int64_t first_line) {
  if (!TrimBlanks(*batch).empty()) {
    for (int i = 0; i < repeat; ++i) {
      if (!RunBatch(*batch, source, first_line)) break;
    }
  }
  batch->clear();
}

void ScriptRunner::RunStream(std::istream& in, std::string_view source) {
  std::string batch;
  std::string line;
  int64_t line_no = 0;
  int64_t first_line = 1;
  while (std::getline(in, line)) {
    ++line_no;
    if (const auto repeat = BatchSeparator(line)) {
      Flush(&batch, *repeat, source, first_line);
      first_line = line_no + 1;
      continue;
    }
    if (batch.empty()) {
      if (TrimBlanks(line).empty()) continue;  // blank lines between batches
      first_line = line_no;
    }
    batch += line;
    batch += '\n';
  }
  Flush(&batch, 1, source, first_line);
}

void ScriptRunner::RunText(std::string_view text, std::string_view source) {
  std::string copy(text);
  std::istringstream in(copy);
  RunStream(in, source);
}

}  // namespace zv::shell_sql
