#pragma once
// What TFloatList and TIntList share: an ordered list of numbers with an
// optional tag per entry, kept sorted on request, with change notifications and
// a raw little-endian saved form (a signed 32-bit count, then the values).
//
// Values and tags live in separate arrays, and the tag array only exists once a
// tag other than 0 has been set: a channel of samples costs 8 bytes per value
// and Data() hands out the values contiguously for whole-channel reads.
//
// The saved form (Save.../Load...) is defined in number_list_impl.h and
// instantiated once per list in UFloatList.cpp and UIntList.cpp.

#include <QIODevice>
#include <QString>
#include <algorithm>
#include <functional>
#include <limits>
#include <span>
#include <stdexcept>
#include <vector>

#include "platform/errors.h"

// What a sorted list does with a value it already holds.
enum class TDuplicates : quint8 { Ignore = 0, Accept = 1, Error = 2 };

// TSelf is the concrete list (CRTP), so handlers and compare functions receive
// it, and it supplies its own "already exists" text as DuplicateErrorText.
template <typename TValue, typename TSelf>
class TNumberList {
public:
  using value_type = TValue;
  using TNotifyEvent = std::function<void(TSelf&)>;
  // list, index a, index b -> negative, 0, positive
  using TCompare = std::function<int(const TSelf&, int, int)>;

  TNumberList() = default;
  TNumberList(const TNumberList&) = default;
  TNumberList(TNumberList&&) noexcept = default;
  TNumberList& operator=(const TNumberList&) = default;
  TNumberList& operator=(TNumberList&&) noexcept = default;
  virtual ~TNumberList() = default;

  // Called after and before every change, unless an update is in progress.
  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

  // The natural order: -1, 0 or 1.
  static int CompareValues(TValue a, TValue b) { return a > b ? 1 : (a < b ? -1 : 0); }

  int Count() const { return int(Values.size()); }
  int Capacity() const { return Cap; }
  // Reserves room for n entries (never below the count).
  void SetCapacity(int n) {
    Cap = std::max(n, Count());
    Values.reserve(size_t(Cap));
  }

  // The values in list order, for reads of a whole list; valid until the next change.
  const TValue* Data() const { return Values.data(); }
  std::span<const TValue> Items() const { return Values; }

  TValue Get(int index) const {
    CheckIndex(index);
    return Values[size_t(index)];
  }
  int GetObject(int index) const {
    CheckIndex(index);
    return Tags.empty() ? 0 : Tags[size_t(index)];
  }
  void PutObject(int index, int tag) {
    CheckIndex(index);
    if (Tags.empty()) {
      if (tag == 0) return;
      Tags.assign(Values.size(), 0);
    }
    Tags[size_t(index)] = tag;
  }

  // Appends (unsorted) or inserts in order (sorted, under the duplicates rule);
  // the index of the entry, or of the equal entry already held when ignored.
  int Add(TValue value) {
    if (!Flag) {
      InsertItem(Count(), value);
      return Count() - 1;
    }
    int index = 0;
    if (Find(value, index)) {
      if (Dups == TDuplicates::Ignore) return index;
      if (Dups == TDuplicates::Error) throw TError(QString::fromLatin1(TSelf::DuplicateErrorText));
    }
    InsertItem(index, value);
    return index;
  }
  virtual int AddObject(TValue value, int tag) {
    const int index = Add(value);
    PutObject(index, tag);
    return index;
  }
  void Insert(int index, TValue value) {
    if (index < 0 || index > Count()) IndexError();
    InsertItem(index, value);
  }

  void Clear() {
    if (Values.empty()) return;
    Changing();
    std::vector<TValue>().swap(Values);  // releases the storage
    std::vector<qint32>().swap(Tags);
    Cap = 0;
    Changed();
  }

  void Exchange(int a, int b) {
    CheckIndex(a);
    CheckIndex(b);
    Changing();
    ExchangeItems(a, b);
    Changed();
  }

  // Bisection over a sorted list. True when an equal entry exists; index is
  // that entry (the first equal one when duplicates are accepted), or the
  // position where value would be inserted.
  virtual bool Find(TValue value, int& index) const {
    bool found = false;
    int lo = 0;
    int hi = Count() - 1;
    while (lo <= hi) {
      const int mid = lo + (hi - lo) / 2;
      const int c = CompareValues(Values[size_t(mid)], value);
      if (c < 0) {
        lo = mid + 1;
      } else {
        hi = mid - 1;
        if (c == 0) {
          found = true;
          if (Dups != TDuplicates::Accept) lo = mid;
        }
      }
    }
    index = lo;
    return found;
  }

  virtual void Sort() {
    CustomSort([](const TSelf& list, int a, int b) {
      return CompareValues(list.Data()[a], list.Data()[b]);
    });
  }
  // Sorts with compare unless the list is already flagged sorted or holds fewer than 2 entries.
  virtual void CustomSort(const TCompare& compare) {
    if (Flag || Count() < 2) return;
    Changing();
    QuickSort(0, Count() - 1, compare);
    Changed();
  }

  bool Sorted() const { return Flag; }
  void SetSorted(bool sorted) {
    if (sorted == Flag) return;
    if (sorted) Sort();
    Flag = sorted;
  }
  TDuplicates Duplicates() const { return Dups; }
  void SetDuplicates(TDuplicates rule) { Dups = rule; }

  // While an update is in progress no notification is sent; the batch as a
  // whole is announced by one Changing at its start and one Changed at its end.
  void BeginUpdate() {
    if (Updates == 0) Changing();
    ++Updates;
  }
  void EndUpdate() {
    if (Updates == 0) return;
    if (--Updates == 0) Changed();
  }
  int UpdateCount() const { return Updates; }

  // False when the file cannot be created or written completely.
  virtual bool SaveToFile(const QString& fileName) const;
  bool SaveToStream(QIODevice& stream) const;
  // False when the file cannot be opened; the list is then left as it was.
  virtual bool LoadFromFile(const QString& fileName);
  // Clears the list and Adds every value the stream holds. A stream that ends
  // early (or announces a negative count) yields the values read completely and
  // the result false; a partial trailing value is dropped.
  virtual bool LoadFromStream(QIODevice& stream);

protected:
  virtual void Changed() {
    if (Updates == 0 && OnChange) OnChange(Self());
  }
  virtual void Changing() {
    if (Updates == 0 && OnChanging) OnChanging(Self());
  }

private:
  TSelf& Self() { return static_cast<TSelf&>(*this); }

  void CheckIndex(int index) const {
    if (index < 0 || index >= Count()) IndexError();
  }
  [[noreturn]] static void IndexError() { throw TError(QStringLiteral("List index Error")); }

  void Grow() {
    const int delta = Cap > 64 ? Cap / 4 : (Cap > 8 ? 16 : 4);
    SetCapacity(Cap > std::numeric_limits<int>::max() - delta ? std::numeric_limits<int>::max()
                                                              : Cap + delta);
  }

  void InsertItem(int index, TValue value) {
    Changing();
    if (Count() == Cap) {
      if (Cap == std::numeric_limits<int>::max()) throw std::length_error("list full");
      Grow();
    }
    Values.insert(Values.begin() + index, value);
    if (!Tags.empty()) Tags.insert(Tags.begin() + index, 0);
    Changed();
  }

  void ExchangeItems(int a, int b) {
    std::swap(Values[size_t(a)], Values[size_t(b)]);
    if (!Tags.empty()) std::swap(Tags[size_t(a)], Tags[size_t(b)]);
  }

  // Hoare partition around the middle entry, whose position is followed through
  // the exchanges. The smaller part recurses, the larger loops, so the depth
  // stays logarithmic whatever the input.
  void QuickSort(int lo, int hi, const TCompare& compare) {
    while (lo < hi) {
      int i = lo;
      int j = hi;
      int p = lo + (hi - lo) / 2;
      do {
        while (compare(Self(), i, p) < 0) ++i;
        while (compare(Self(), j, p) > 0) --j;
        if (i <= j) {
          if (i != j) ExchangeItems(i, j);
          if (p == i)
            p = j;
          else if (p == j)
            p = i;
          ++i;
          --j;
        }
      } while (i <= j);
      if (j - lo < hi - i) {
        if (lo < j) QuickSort(lo, j, compare);
        lo = i;
      } else {
        if (i < hi) QuickSort(i, hi, compare);
        hi = j;
      }
    }
  }

  int Updates = 0;
  std::vector<TValue> Values;
  std::vector<qint32> Tags;  // empty while every tag is 0
  int Cap = 0;
  bool Flag = false;  // sorted
  TDuplicates Dups = TDuplicates::Ignore;
};
