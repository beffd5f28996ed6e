// One parameter marker's value as the console asks it: once per name.
#pragma once

#include <string>

struct TParameterValue {
  std::string name;
  std::string type_name;  // as the statement describes it, e.g. "INTEGER", "VARCHAR(20)"
  std::string text;       // the data layer's bytes
  bool is_null = false;
};
