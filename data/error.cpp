#include "data/error.h"

#include <utility>

namespace zv {

std::string StandardDescription(int32_t number) {
  switch (number) {
    case 3: return "Return without GoSub";
    case 5: return "Invalid procedure call or argument";
    case err::kOverflow: return "Overflow";
    case 7: return "Out of memory";
    case err::kSubscriptOutOfRange: return "Subscript out of range";
    case 10: return "This array is fixed or temporarily locked";
    case err::kDivisionByZero: return "Division by zero";
    case err::kTypeMismatch: return "Type mismatch";
    case 14: return "Out of string space";
    case 28: return "Out of stack space";
    case 35: return "Sub or Function not defined";
    case 48: return "Error in loading DLL";
    case 51: return "Internal error";
    case 52: return "Bad file name or number";
    case 53: return "File not found";
    case 57: return "Device I/O error";
    case 70: return "Permission denied";
    case 75: return "Path/File access error";
    case 76: return "Path not found";
    case err::kObjectVariableNotSet:
      return "Object variable or With block variable not set";
    case 92: return "For loop not initialized";
    case 93: return "Invalid pattern string";
    case err::kInvalidUseOfNull: return "Invalid use of Null";
    case 380: return "Invalid property value";
    case 381: return "Invalid property array index";
    case 424: return "Object required";
    case err::kCannotCreateObject: return "ActiveX component can't create object";
    case 430: return "Class does not support Automation or does not support expected interface";
    case err::kNotSupportedMember: return "Object doesn't support this property or method";
    case 440: return "Automation error";
    case 445: return "Object doesn't support this action";
    case 446: return "Object doesn't support named arguments";
    case 448: return "Named argument not found";
    case err::kArgumentNotOptional: return "Argument not optional";
    case 450: return "Wrong number of arguments or invalid property assignment";
    case 451: return "Property let procedure not defined and property get procedure did not return an object";
    case 457: return "This key is already associated with an element of this collection";
    case 458: return "Variable uses an Automation type not supported in Visual Basic";
    case err::kAdoItemNotFound:
      return "Item cannot be found in the collection corresponding to the "
             "requested name or ordinal.";
    case err::kAdoInvalidArgument:
      return "Arguments are of the wrong type, are out of acceptable range, or "
             "are in conflict with one another.";
    case err::kAdoBofOrEof:
      return "Either BOF or EOF is True, or the current record has been "
             "deleted. Requested operation requires a current record.";
    case err::kAdoObjectClosed:
      return "Operation is not allowed when the object is closed.";
    case err::kAdoObjectOpen:
      return "Operation is not allowed when the object is open.";
    case err::kAdoNotSupported:
      return "Current provider does not support the necessary interface for "
             "this operation.";
    case err::kAdoMultipleStep:
      return "Multiple-step operation generated errors. Check each status "
             "value.";
    case err::kAdoRowDeleted:
      return "Row handle referred to a deleted row or a row marked for "
             "deletion.";
    case err::kAdoRowChanged:
      return "Row cannot be located for updating. Some values may have been "
             "changed since it was last read.";
    case err::kAdoCommandError:
      return "Syntax error or access violation";
    case err::kAdoIntegrityViolation:
      return "Integrity constraint violation";
    case err::kAdoConnectionFailed:
      return "Unspecified error";
    case err::kAdoTimeout:
      return "Query timeout expired";
    default: return "";
  }
}

void Raise(int32_t number, std::string source) {
  std::string description = StandardDescription(number);
  if (description.empty())
    description = "Application-defined or object-defined error";
  throw PlatformError(number, std::move(description), std::move(source));
}

void Raise(int32_t number, std::string description, std::string source) {
  throw PlatformError(number, std::move(description), std::move(source));
}

}  // namespace zv
