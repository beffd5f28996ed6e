// The dataset contract over an in-memory row source: the buffer window, navigation
// results, and what bound controls hear.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/dataset/dataset.h"

namespace {

struct Row {
  TBookmarkFlag flag;
  int index;
  int32_t value;
};

// Rows 0..n-1 holding their index times 10; a cursor index as a concrete dataset keeps.
class TMemoryDataSet : public TDataSet {
 public:
  explicit TMemoryDataSet(int rows) : TDataSet(nullptr) {
    for (int i = 0; i < rows; ++i) values.push_back(i * 10);
  }
  ~TMemoryDataSet() override { Close(); }

  std::vector<int32_t> values;
  int cursor = -1;
  bool open = false;
  int reads = 0;

  int RecNo() const override {
    const TRecordBuffer b = ActiveBuffer();
    return b ? Buf(b)->index + 1 : 0;
  }
  int RecordCount() const override { return static_cast<int>(values.size()); }
  bool GetFieldData(const TField*, void* buffer) const override {
    const TRecordBuffer b = ActiveBuffer();
    if (!b) return false;
    std::memcpy(buffer, &Buf(b)->value, 4);
    return true;
  }

 protected:
  static Row* Buf(TRecordBuffer b) { return reinterpret_cast<Row*>(b); }
  TRecordBuffer AllocRecordBuffer() override { return reinterpret_cast<char*>(new Row{}); }
  void FreeRecordBuffer(TRecordBuffer& b) override {
    delete Buf(b);
    b = nullptr;
  }
  TGetResult GetRecord(TRecordBuffer b, TGetMode mode, bool) override {
    const int n = static_cast<int>(values.size());
    if (mode == gmNext) {
      if (cursor >= n - 1) {
        cursor = n;
        return grEOF;
      }
      ++cursor;
    } else if (mode == gmPrior) {
      if (cursor <= 0) {
        cursor = -1;
        return grBOF;
      }
      --cursor;
    } else if (cursor < 0 || cursor >= n) {
      return grError;
    }
    ++reads;
    *Buf(b) = Row{bfCurrent, cursor, values[cursor]};
    return grOK;
  }
  void InternalOpen() override {
    FieldDefs().Clear();
    FieldDefs().Add("V", ftInteger, 0, false);
    CreateFields();
    BindFields(true);
    open = true;
  }
  void InternalClose() override {
    BindFields(false);
    DestroyFields();
    open = false;
  }
  bool IsCursorOpen() const override { return open; }
  void InternalInitFieldDefs() override {}
  void InternalFirst() override { cursor = -1; }
  void InternalLast() override { cursor = static_cast<int>(values.size()); }
  void InternalSetToRecord(TRecordBuffer b) override { cursor = Buf(b)->index; }
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer b) const override { return Buf(b)->flag; }
  void SetBookmarkFlag(TRecordBuffer b, TBookmarkFlag f) override { Buf(b)->flag = f; }
  TBookmark GetBookmarkData(TRecordBuffer b) const override {
    TBookmark m(4);
    std::memcpy(m.data(), &Buf(b)->index, 4);
    return m;
  }
  void SetBookmarkData(TRecordBuffer b, const TBookmark& m) override {
    std::memcpy(&Buf(b)->index, m.data(), 4);
  }
  void InternalGotoBookmark(const TBookmark& m) override { std::memcpy(&cursor, m.data(), 4); }
};

// Records what a control hears, and the rows of its sub-window.
class TRecordingLink : public TDataLink {
 public:
  std::vector<std::string> calls;

  std::vector<int32_t> Rows() {
    std::vector<int32_t> rows;
    const int saved = ActiveRecord();
    for (int i = 0; i < RecordCount(); ++i) {
      SetActiveRecord(i);
      int32_t v = 0;
      DataSet()->GetFieldData(nullptr, &v);
      rows.push_back(v / 10);
    }
    SetActiveRecord(saved);
    return rows;
  }

 protected:
  void ActiveChanged() override { calls.push_back(Active() ? "active" : "inactive"); }
  void DataSetChanged() override { calls.push_back("changed"); }
  void DataSetScrolled(int distance) override {
    calls.push_back("scrolled " + std::to_string(distance));
  }
  void RecordChanged(TField*) override { calls.push_back("record"); }
  void LayoutChanged() override { calls.push_back("layout"); }
};

std::vector<int32_t> Range(int from, int to) {
  std::vector<int32_t> r;
  for (int i = from; i <= to; ++i) r.push_back(i);
  return r;
}

TEST(DataSetWindow, FillsToTheLargestLinkAndScrollsByOneBufferAtItsEdge) {
  TMemoryDataSet data(100);
  TDataSource source;
  source.SetDataSet(&data);
  TRecordingLink grid, small;
  grid.SetBufferCount(5);
  small.SetBufferCount(2);
  grid.SetDataSource(&source);
  small.SetDataSource(&source);
  data.Open();
  EXPECT_EQ(data.BufferCount(), 5);
  EXPECT_EQ(data.reads, 5) << "opening reads only what the links show";
  EXPECT_EQ(grid.Rows(), Range(0, 4));
  EXPECT_TRUE(data.Bof());
  EXPECT_FALSE(data.Eof());

  grid.calls.clear();
  small.calls.clear();
  EXPECT_EQ(data.MoveBy(4), 4);
  EXPECT_EQ(grid.calls, std::vector<std::string>{"scrolled 0"});
  EXPECT_EQ(small.calls, std::vector<std::string>{"scrolled -3"});
  EXPECT_EQ(small.Rows(), Range(3, 4));
  grid.calls.clear();
  data.Next();
  EXPECT_EQ(grid.calls, std::vector<std::string>{"scrolled -1"});
  EXPECT_EQ(grid.Rows(), Range(1, 5));
  EXPECT_EQ(grid.ActiveRecord(), 4);
  EXPECT_EQ(data.RecNo(), 6);

  // Back past the window's front: the window scrolls the other way.
  EXPECT_EQ(data.MoveBy(-5), -5);
  EXPECT_EQ(data.RecNo(), 1);
  EXPECT_EQ(grid.Rows(), Range(0, 4));
  EXPECT_EQ(data.MoveBy(-1), 0);
  EXPECT_TRUE(data.Bof());

  data.Last();
  EXPECT_TRUE(data.Eof());
  EXPECT_EQ(grid.Rows(), Range(95, 99));
  EXPECT_EQ(grid.ActiveRecord(), 4);
  EXPECT_EQ(data.MoveBy(10), 0);
  EXPECT_EQ(data.MoveBy(-3), -3);
  EXPECT_EQ(data.RecNo(), 97);
  EXPECT_FALSE(data.Eof());
  data.First();
  EXPECT_EQ(data.RecNo(), 1);
  EXPECT_EQ(grid.Rows(), Range(0, 4));
}

TEST(DataSetWindow, ShortDataSetsAndWindowResizesKeepTheActiveRow) {
  TMemoryDataSet data(3);
  TDataSource source;
  source.SetDataSet(&data);
  TRecordingLink grid;
  grid.SetBufferCount(10);
  grid.SetDataSource(&source);
  data.Open();
  EXPECT_EQ(grid.RecordCount(), 3);
  EXPECT_EQ(data.MoveBy(5), 2);
  EXPECT_TRUE(data.Eof());
  grid.calls.clear();
  EXPECT_EQ(data.MoveBy(1), 0) << "nothing moves at the end of data";
  EXPECT_TRUE(grid.calls.empty());
  data.Close();

  TMemoryDataSet big(50);
  source.SetDataSet(&big);
  big.Open();
  EXPECT_EQ(big.MoveBy(8), 8);
  grid.SetBufferCount(4);  // the grid got smaller: row 8 must stay in view
  EXPECT_EQ(big.BufferCount(), 4);
  EXPECT_EQ(big.RecNo(), 9);
  EXPECT_EQ(grid.Rows(), Range(5, 8));
  grid.SetBufferCount(12);  // and larger again: filled after, then before
  EXPECT_EQ(big.RecNo(), 9);
  EXPECT_EQ(grid.RecordCount(), 12);
  EXPECT_EQ(grid.Rows(), Range(5, 16));

  // A bookmark brings its row back, centred.
  const TBookmark mark = big.GetBookmark();
  big.Last();
  big.GotoBookmark(mark);
  EXPECT_EQ(big.RecNo(), 9);
  EXPECT_EQ(grid.ActiveRecord(), 5);

  TMemoryDataSet empty(0);
  source.SetDataSet(&empty);
  empty.Open();
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(empty.MoveBy(1), 0);
  EXPECT_THROW(empty.Delete(), EDatabaseError);
}

TEST(DataSetNotifications, DisabledControlsHearOneDeferredChangeAndStateChangesPass) {
  TMemoryDataSet data(30);
  data.SetName("Rows");
  // Outlives the source, whose end still reports a state change.
  std::vector<std::string> states;
  TDataSource source;
  source.OnStateChange = [&](TComponent*) { states.push_back(std::to_string(source.State())); };
  source.SetDataSet(&data);
  TRecordingLink grid;
  grid.SetBufferCount(3);
  grid.SetDataSource(&source);
  data.Open();
  EXPECT_EQ(states, std::vector<std::string>{std::to_string(dsBrowse)});
  EXPECT_EQ(grid.calls.front(), "active");

  grid.calls.clear();
  data.DisableControls();
  data.MoveBy(7);
  data.First();
  EXPECT_TRUE(grid.calls.empty());
  data.EnableControls();
  EXPECT_EQ(grid.calls, std::vector<std::string>{"changed"});

  // Closing while held still still tells the controls the dataset went away.
  grid.calls.clear();
  data.DisableControls();
  data.Close();
  EXPECT_EQ(grid.calls, std::vector<std::string>{"inactive"});
  data.EnableControls();
  EXPECT_EQ(source.State(), dsInactive);

  // The contract's own messages carry the component's name.
  try {
    data.Next();
    FAIL() << "navigation on a closed dataset must fail";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Rows: Cannot perform this operation on a closed dataset");
  }
  data.Open();
  try {
    data.FieldByName("NOPE");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Rows: Field 'NOPE' not found");
  }
  EXPECT_EQ(data.FieldByName("v"), data.Fields()[0]) << "field names match without case";
}

TEST(DataSetNotifications, FreeingEitherSideUnbinds) {
  auto* data = new TMemoryDataSet(5);
  auto* source = new TDataSource;
  source->SetDataSet(data);
  TRecordingLink grid;
  grid.SetDataSource(source);
  data->Open();
  EXPECT_TRUE(grid.Active());
  delete data;
  EXPECT_EQ(source->DataSet(), nullptr);
  EXPECT_FALSE(grid.Active());
  delete source;
  EXPECT_EQ(grid.DataSource(), nullptr);
}

}  // namespace
