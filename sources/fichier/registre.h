// The identifier registry: the identifiers of the recurring documents met so
// far in the run, searched the way EQUIVAL compares them.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_set>

namespace vellumcast {

class Registre {
 public:
  // The registry starts with its record 0, holding "0".
  Registre();

  // True when a stored identifier s gives EQUIVAL(s, uid); otherwise `uid` is
  // stored as a new record and the result is false. Costs the same however
  // many identifiers are stored.
  bool DejaRencontre(std::string_view uid);

  // Number of records, record 0 included.
  size_t size() const { return records_.size(); }
  // Record `k` as stored (record 0 is "0").
  const std::string& record(size_t k) const { return records_[k]; }

 private:
  void Stocker(std::string_view uid);

  // Records in the order they were stored; a deque keeps them in place, so
  // the index can point into them.
  std::deque<std::string> records_;
  std::deque<std::string> plies_;  // the same, A to Z made small
  // Every text that EQUIVAL would accept as its second argument for some
  // record: each folded record whole, and each of its prefixes followed by a
  // blank, "=" or ">".
  std::unordered_set<std::string_view> index_;
};

}  // namespace vellumcast
