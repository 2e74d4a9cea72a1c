// T-SQL type rules: the types of literals and declared type names, data-type
// precedence, the result types of operators (with SQL Server's decimal
// precision and scale rules), of CASE/COALESCE/UNION, of built-in functions
// and of aggregates. The binder that applies them to expressions with
// columns and variables in scope is the emitter (InferExpressionType).
#ifndef ZV_DATA_TSQL_TYPES_H_
#define ZV_DATA_TSQL_TYPES_H_

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "data/tsql/ast.h"
#include "data/tsql/catalog.h"

namespace zv::tsql {

// A type-check failure, with SQL Server's message number (8117, 206, 2715).
class TypeError : public std::runtime_error {
 public:
  TypeError(int native_error, const std::string& message)
      : std::runtime_error(message), native_error_(native_error) {}
  int native_error() const { return native_error_; }

 private:
  int native_error_;
};

// The type of an untyped NULL literal while types are being combined; it
// becomes INT where a column must be created from it.
SqlType NullType();
bool IsNullType(const SqlType& t);
// INT for the NULL type, `t` otherwise.
SqlType ConcreteType(const SqlType& t);

SqlType MakeType(std::string name, int32_t length = 0, int precision = 0, int scale = 0);

bool IsTextType(const SqlType& t);       // CHAR, VARCHAR, NCHAR, NVARCHAR, TEXT, NTEXT
bool IsUnicodeType(const SqlType& t);    // NCHAR, NVARCHAR, NTEXT
bool IsFixedCharType(const SqlType& t);  // CHAR, NCHAR
bool IsIntegerType(const SqlType& t);    // TINYINT, SMALLINT, INT, BIGINT, BIT
bool IsDecimalType(const SqlType& t);    // DECIMAL, NUMERIC, MONEY
bool IsApproximateType(const SqlType& t);  // FLOAT, REAL
bool IsNumericType(const SqlType& t);    // any of the three above
bool IsDateType(const SqlType& t);       // DATETIME, SMALLDATETIME, DATE

// The type a declared type name stands for. In a CAST or CONVERT a missing
// text length means 30, in a declaration 1; DECIMAL alone is DECIMAL(18,0).
// Throws TypeError 2715 for a type this engine does not know.
enum class TypeNameUse { kDeclaration, kConversion };
SqlType TypeFromName(const TypeName& name, TypeNameUse use);

// "DECIMAL(17,6)", "VARCHAR(MAX)", "INT".
std::string TypeToString(const SqlType& t);

// SQL Server's data type precedence: the operand of lower precedence is
// converted to the type of the higher one.
int TypePrecedence(const SqlType& t);
const SqlType& HigherPrecedence(const SqlType& a, const SqlType& b);

// Precision and scale of an exact numeric type (INT is DECIMAL(10,0)).
struct DecimalShape {
  int precision = 0;
  int scale = 0;
};
DecimalShape DecimalShapeOf(const SqlType& t);

// The type of a literal: 'abc' VARCHAR(3), N'ab' NVARCHAR(2), 12 INT,
// 1.50 DECIMAL(3,2), 1e3 FLOAT, NULL the NULL type.
SqlType LiteralType(const Literal& literal);

// The result of an arithmetic, bitwise or string '+' operator. '+' on two
// texts concatenates; with a number on one side the text is converted to the
// number's type. Throws TypeError for operands the operator does not accept.
SqlType BinaryResultType(BinaryOp op, const SqlType& left, const SqlType& right);

// The type of CASE, COALESCE and UNION columns: the highest precedence type
// of the branches, text lengths and decimal digits widened to hold them all.
SqlType CommonType(const std::vector<SqlType>& types);

// Aggregates: SUM of DECIMAL(p,s) is DECIMAL(38,s), COUNT is INT, AVG of an
// integer is an integer. Throws TypeError for a text argument of SUM/AVG.
SqlType AggregateResultType(std::string_view upper_name, const SqlType& argument);
bool IsAggregateFunction(std::string_view upper_name);

// Built-in scalar functions. `args` are the argument types. Returns false
// for a name that is not a built-in function.
bool BuiltinFunctionType(std::string_view upper_name, const std::vector<SqlType>& args,
                         SqlType* result);

}  // namespace zv::tsql

#endif  // ZV_DATA_TSQL_TYPES_H_
