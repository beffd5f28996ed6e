// One parameter marker's value as the console asks it: once per name, and read as the
// marker's described type, so that a mistyped value is refused by name.
#pragma once

#include <functional>
#include <string>

#include "data/core/variant.h"

class TIBXSQLVAR;

struct TParameterValue {
  std::string name;
  std::string type_name;  // as the statement describes it, e.g. "INTEGER", "VARCHAR(20)"
  std::string text;       // UTF-8
  bool is_null = false;
};

// What is wrong with the value at an index of the asked list; empty when nothing is.
using TParameterCheck = std::function<std::string(size_t index, const TParameterValue& value)>;

// The marker's type as the dialog names it.
std::string ParameterTypeName(const TIBXSQLVAR& var);

// The value read as the marker's type; raises EConvertError naming the marker when the
// text is no value of it. Text of other types is left for the engine to read.
TVariant ReadParameterValue(const TIBXSQLVAR& var, const TParameterValue& value);
