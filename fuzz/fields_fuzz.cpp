// The fields' text parsing over a one-row in-memory dataset. The first bytes choose the
// field class, its size and scale; the rest is the text typed. A text a field takes must
// read back as text the field takes again unchanged (nothing silently altered on the way
// round); a text it refuses raises and leaves the stored value as it was.
#include <cstdio>
#include <cstdlib>

#include "data/dataset/fields.h"
#include "data/errors/errors.h"
#include "fuzz/fuzz_target.h"
#include "tests/data/memory_dataset.h"

namespace {

template <typename F>
TField* Make(MemoryDataSet& data, int size, int scale) {
  F* field = new F(&data);
  field->SetFieldName("F");
  field->SetSize(size);
  field->SetScale(scale);
  field->SetDataSet(&data);
  return field;
}

TField* Choose(MemoryDataSet& data, uint8_t kind, uint8_t shape) {
  const int size = 1 + shape % 40;
  const int scale = -(shape % 19);
  switch (kind % 13) {
    case 0:
      return Make<TIntegerField>(data, 0, 0);
    case 1:
      return Make<TSmallintField>(data, 0, 0);
    case 2:
      return Make<TLargeintField>(data, 0, 0);
    case 3:
      return Make<TFloatField>(data, 0, 0);
    case 4:
      return Make<TFloatField>(data, 0, scale);
    case 5:
      return Make<TIBBCDField>(data, size % 19, scale);
    case 6:
      return Make<TDateTimeField>(data, 0, 0);
    case 7:
      return Make<TDateField>(data, 0, 0);
    case 8:
      return Make<TTimeField>(data, 0, 0);
    case 9:
      return Make<TBooleanField>(data, 0, 0);
    case 10:
      return Make<TIBStringField>(data, size, 0);
    case 11:
      return Make<TMemoField>(data, 0, 0);
    default:
      return Make<TIntegerField>(data, 0, scale);
  }
}

// The text the field shows, or nothing when showing it raises.
bool Shown(TField* field, std::string* text) {
  try {
    *text = field->AsString();
    return true;
  } catch (const Exception&) {
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static bool formats = (SetFormatSettings(TFormatSettings{}), true);
  (void)formats;
  MemoryDataSet dataset;
  TField* field = Choose(dataset, data[0], data[1]);
  const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);

  // A known value that a refused text must leave alone.
  try {
    field->SetAsString("1");
  } catch (const Exception&) {
    field->SetAsString("01/02/2003");
  }
  std::string before;
  const bool had = Shown(field, &before);
  try {
    field->SetAsString(text);
  } catch (const Exception&) {
    std::string after;
    FUZZ_CHECK(Shown(field, &after) == had && after == before);
    return 0;
  }
  std::string first;
  if (!Shown(field, &first)) return 0;
  try {
    field->SetAsString(first);
  } catch (const Exception&) {
    fprintf(stderr, "the field refuses its own text '%s'\n", first.c_str());
    abort();
  }
  std::string second;
  FUZZ_CHECK(Shown(field, &second));
  if (second != first) {
    fprintf(stderr, "'%s' read back as '%s', then as '%s'\n", text.c_str(), first.c_str(),
            second.c_str());
    abort();
  }
  return 0;
}
