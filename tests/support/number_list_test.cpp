#include <gtest/gtest.h>

#include <QBuffer>
#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <random>

#include "common/temp_dir.h"
#include "support/UFloatList.h"
#include "support/UIntList.h"

namespace {

template <typename TList>
QByteArray Saved(const TList& list) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(list.SaveToStream(buffer));
  return buffer.data();
}

template <typename TList>
bool Load(TList& list, const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  return list.LoadFromStream(buffer);
}

template <typename TList>
std::vector<typename TList::value_type> ValuesOf(const TList& list) {
  return {list.Items().begin(), list.Items().end()};
}

std::string ErrorText(const std::function<void()>& action) {
  try {
    action();
  } catch (const TError& e) {
    return e.Message().toStdString();
  }
  return "(nothing raised)";
}

// Restores the default locale whatever a test set.
class TLocaleGuard {
public:
  ~TLocaleGuard() { QLocale::setDefault(Saved); }

private:
  QLocale Saved;
};

}  // namespace

TEST(NumberListFormat, IntListSavesCountThenLittleEndianValues) {
  TIntList list;
  list.Add(5);
  list.Add(-1);
  const QByteArray expected = QByteArray::fromHex(
      "02000000"
      "0500000000000000"
      "ffffffffffffffff");
  EXPECT_EQ(Saved(list).toHex().toStdString(), expected.toHex().toStdString());
}

TEST(NumberListFormat, FloatListSavesIeeeBitsAndTagsAreNotSaved) {
  TFloatList list;
  list.AddObject(1.0f, 77);
  list.Add(-2.5f);
  const QByteArray expected = QByteArray::fromHex(
      "02000000"
      "0000803f"
      "000020c0");
  EXPECT_EQ(Saved(list).toHex().toStdString(), expected.toHex().toStdString());
}

class NumberListFile : public TTempDirTest {};

TEST_F(NumberListFile, RoundTripReplacesPreviousEntries) {
  const QString path = PathOf("list.bin");
  TIntList source;
  for (qint64 v : {qint64(1) << 40, qint64(-3), qint64(0), std::numeric_limits<qint64>::min()})
    source.Add(v);
  ASSERT_TRUE(source.SaveToFile(path));

  TIntList loaded;
  loaded.Add(99);
  ASSERT_TRUE(loaded.LoadFromFile(path));
  EXPECT_EQ(ValuesOf(loaded), ValuesOf(source));

  EXPECT_FALSE(loaded.LoadFromFile(PathOf("missing.bin")));
  EXPECT_EQ(loaded.Count(), 4) << "a failed open leaves the list alone";
  EXPECT_FALSE(source.SaveToFile(PathOf("no/such/folder/list.bin")));
}

TEST(NumberListFormat, ShortOrHostileStreamsGiveOnlyCompleteValues) {
  struct TCase {
    const char* Name;
    QByteArray Bytes;
    std::vector<qint64> Expected;
    bool Complete;
  };
  const std::vector<TCase> cases = {
      {"empty stream", {}, {}, false},
      {"half a count", QByteArray::fromHex("0200"), {}, false},
      {"zero count", QByteArray::fromHex("00000000"), {}, true},
      {"negative count",
       QByteArray::fromHex("ffffffff"
                           "0500000000000000"),
       {},
       false},
      {"count beyond the data",
       QByteArray::fromHex("03000000"
                           "0700000000000000"
                           "0800000000000000"
                           "090000"),
       {7, 8},
       false},
      {"huge count, no data", QByteArray::fromHex("ffffff7f"), {}, false},
      {"extra bytes after the values",
       QByteArray::fromHex("01000000"
                           "0400000000000000"
                           "ffff"),
       {4},
       true},
  };
  for (const TCase& c : cases) {
    TIntList list;
    list.Add(123);
    EXPECT_EQ(Load(list, c.Bytes), c.Complete) << c.Name;
    EXPECT_EQ(ValuesOf(list), c.Expected) << c.Name;
  }
}

TEST(NumberListFormat, LoadingManyValuesCrossesReadChunks) {
  TIntList source;
  for (int i = 0; i < 20000; ++i) source.Add(i * 7 - 5000);
  TIntList loaded;
  ASSERT_TRUE(Load(loaded, Saved(source)));
  EXPECT_EQ(ValuesOf(loaded), ValuesOf(source));
}

TEST(NumberList, IndexErrorsOutsideTheEntries) {
  TIntList list;
  list.Add(10);
  list.Add(20);
  const std::string error = "List index Error";
  EXPECT_EQ(ErrorText([&] { list.Get(-1); }), error);
  EXPECT_EQ(ErrorText([&] { list.Get(2); }), error);
  EXPECT_EQ(ErrorText([&] { list.PutObject(2, 1); }), error);
  EXPECT_EQ(ErrorText([&] { list.Exchange(0, 2); }), error);
  EXPECT_EQ(ErrorText([&] { list.Insert(3, 1); }), error);
  EXPECT_EQ(ErrorText([&] { list.Insert(-1, 1); }), error);
  list.Insert(2, 30);  // inserting at the count appends
  EXPECT_EQ(ValuesOf(list), (std::vector<qint64>{10, 20, 30}));
  TFloatList floats;
  EXPECT_EQ(ErrorText([&] { floats.Get(0); }), error);
}

TEST(NumberList, TagsFollowTheirValues) {
  TIntList list;
  list.Add(1);
  list.AddObject(2, 20);
  list.Insert(0, 0);
  EXPECT_EQ(list.GetObject(0), 0);
  EXPECT_EQ(list.GetObject(2), 20);
  list.Exchange(0, 2);
  EXPECT_EQ(ValuesOf(list), (std::vector<qint64>{2, 1, 0}));
  EXPECT_EQ(list.GetObject(0), 20);
  EXPECT_EQ(list.GetObject(2), 0);
  list.Sort();
  EXPECT_EQ(ValuesOf(list), (std::vector<qint64>{0, 1, 2}));
  EXPECT_EQ(list.GetObject(2), 20);
}

TEST(NumberList, SortedAddUnderEachDuplicatesRule) {
  struct TCase {
    TDuplicates Rule;
    int SecondIndex;  // -1: raises
    int Count;
  };
  const std::vector<TCase> cases = {
      {TDuplicates::Ignore, 1, 3}, {TDuplicates::Accept, 1, 4}, {TDuplicates::Error, -1, 3}};
  for (const TCase& c : cases) {
    TFloatList list;
    list.SetSorted(true);
    list.SetDuplicates(c.Rule);
    list.Add(3.0f);
    EXPECT_EQ(list.Add(1.5f), 0);
    list.Add(0.5f);
    if (c.SecondIndex < 0) {
      EXPECT_EQ(ErrorText([&] { list.Add(1.5f); }), "Cannot add value because it already exists");
    } else {
      EXPECT_EQ(list.Add(1.5f), c.SecondIndex);
    }
    EXPECT_EQ(list.Count(), c.Count) << int(c.Rule);
    EXPECT_TRUE(std::is_sorted(list.Items().begin(), list.Items().end()));
  }
  TIntList ints;
  ints.SetSorted(true);
  ints.SetDuplicates(TDuplicates::Error);
  ints.Add(4);
  EXPECT_EQ(ErrorText([&] { ints.Add(4); }), "Cannot add integer because it already exists");
  EXPECT_EQ(ints.Count(), 1);
}

TEST(NumberList, FindGivesFirstEqualEntryWhenDuplicatesAreAccepted) {
  TIntList list;
  list.SetSorted(true);
  list.SetDuplicates(TDuplicates::Accept);
  for (qint64 v : {5, 2, 2, 9, 2, 2, 1}) list.Add(v);
  ASSERT_EQ(ValuesOf(list), (std::vector<qint64>{1, 2, 2, 2, 2, 5, 9}));
  struct TCase {
    qint64 Value;
    bool Found;
    int Index;
  };
  for (const TCase& c : std::vector<TCase>{{2, true, 1},
                                           {1, true, 0},
                                           {9, true, 6},
                                           {0, false, 0},
                                           {3, false, 5},
                                           {10, false, 7}}) {
    int index = -1;
    EXPECT_EQ(list.Find(c.Value, index), c.Found) << c.Value;
    EXPECT_EQ(index, c.Index) << c.Value;
  }
  TIntList empty;
  int index = -1;
  EXPECT_FALSE(empty.Find(4, index));
  EXPECT_EQ(index, 0);
}

TEST(NumberList, SortMatchesTheStandardSortOnAwkwardInputs) {
  std::mt19937 random(7);
  std::vector<std::vector<qint64>> inputs = {{}, {1}, {2, 1}, {3, 3, 3, 3}};
  std::vector<qint64> ascending(500), descending(500), few(2000), spread(3000);
  for (int i = 0; i < 500; ++i) ascending[i] = i, descending[i] = 500 - i;
  for (auto& v : few) v = random() % 3;
  for (auto& v : spread) v = qint64(random()) * (random() % 2 ? 1 : -1) << 20;
  inputs.insert(inputs.end(), {ascending, descending, few, spread});
  for (const auto& input : inputs) {
    TIntList list;
    for (qint64 v : input) list.Add(v);
    list.Sort();
    auto expected = input;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ValuesOf(list), expected) << "size " << input.size();
  }
}

TEST(NumberList, CustomSortAndTheSortedFlag) {
  TFloatList list;
  for (float v : {2.0f, -1.0f, 7.5f}) list.Add(v);
  list.CustomSort([](const TFloatList& l, int a, int b) {
    return TFloatList::CompareValues(l.Get(b), l.Get(a));
  });
  EXPECT_EQ(ValuesOf(list), (std::vector<float>{7.5f, 2.0f, -1.0f}));

  list.SetSorted(true);  // becoming sorted sorts first
  EXPECT_EQ(ValuesOf(list), (std::vector<float>{-1.0f, 2.0f, 7.5f}));
  list.CustomSort([](const TFloatList& l, int a, int b) {
    return TFloatList::CompareValues(l.Get(b), l.Get(a));
  });
  EXPECT_EQ(list.Get(0), -1.0f) << "a list flagged sorted is not sorted again";
  EXPECT_EQ(list.Add(0.0f), 1);
}

TEST(NumberList, NotificationsAroundEveryChange) {
  TIntList list;
  QStringList events;
  list.OnChanging = [&](TIntList& l) { events << QString("changing %1").arg(l.Count()); };
  list.OnChange = [&](TIntList& l) { events << QString("changed %1").arg(l.Count()); };

  list.Clear();
  EXPECT_TRUE(events.isEmpty()) << "Clear on an empty list announces nothing";

  list.Add(3);
  list.Add(1);
  EXPECT_EQ(events, QStringList({"changing 0", "changed 1", "changing 1", "changed 2"}));

  events.clear();
  list.Sort();
  list.Exchange(0, 1);
  list.Clear();
  EXPECT_EQ(events, QStringList({"changing 2", "changed 2", "changing 2", "changed 2", "changing 2",
                                 "changed 0"}));

  events.clear();
  list.BeginUpdate();
  list.BeginUpdate();
  for (int i = 0; i < 5; ++i) list.Add(i);
  list.EndUpdate();
  EXPECT_EQ(events, QStringList({"changing 0"}));
  list.EndUpdate();
  list.EndUpdate();  // unbalanced: ignored
  EXPECT_EQ(events, QStringList({"changing 0", "changed 5"}));
  EXPECT_EQ(list.UpdateCount(), 0);
}

TEST(NumberList, CapacityGrowsByTheRuleAndClearReleasesIt) {
  TIntList list;
  std::vector<int> capacities;
  for (int i = 0; i < 120; ++i) {
    list.Add(i);
    if (capacities.empty() || capacities.back() != list.Capacity())
      capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147}));
  list.Clear();
  EXPECT_EQ(list.Capacity(), 0);
  EXPECT_EQ(list.Count(), 0);
}

TEST(NumberList, AppendingManySamplesKeepsThemContiguous) {
  TIntList list;
  constexpr int N = 1000000;
  for (int i = 0; i < N; ++i) list.Add(i);
  ASSERT_EQ(list.Count(), N);
  const qint64* data = list.Data();
  qint64 sum = 0;
  for (int i = 0; i < N; ++i) sum += data[i];
  EXPECT_EQ(sum, qint64(N) * (N - 1) / 2);
}

TEST(FloatList, AsTextUsesThreeDecimalsAndTheLocaleSeparator) {
  TLocaleGuard guard;
  TFloatList list;
  EXPECT_EQ(list.AsText(), "");
  list.Add(1.0f);
  list.Add(2.5f);
  QLocale::setDefault(QLocale(QLocale::English));
  EXPECT_EQ(list.AsText(), "1.000 2.500 ");
  QLocale::setDefault(QLocale(QLocale::German));
  list.Add(-1234.5f);
  EXPECT_EQ(list.AsText(), "1,000 2,500 -1234,500 ");
}
