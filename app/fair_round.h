// The round of the fair roll call: nobody is called twice before everybody of the class list
// has been called once. Portable and free of the runtime: the caller hands in the class list it
// read and the random source it uses, so the rule can be tried with a fixed source.
#pragma once

#include <string>
#include <vector>

namespace app {

class FairRound {
 public:
  // The class list as the last touch read it, names 1 to NameCount. A list that differs from
  // the one the round began with (a name edited, added or taken away) begins a new round: the
  // pupils called so far may be other children now.
  void Follow(const std::vector<std::string>& names) {
    if (names == names_) return;
    names_ = names;
    called_.assign(names_.size(), false);
  }

  // The cycle stopped on pupil n (from 1). A number outside the list calls nobody.
  void Call(int n) {
    if (n >= 1 && n <= static_cast<int>(called_.size())) called_[n - 1] = true;
  }

  // Pupils of the round not called yet.
  int left() const {
    int n = 0;
    for (bool called : called_) n += called ? 0 : 1;
    return n;
  }

  // The number (from 1) of a pupil not called yet, chosen by random(1, left()), which gives
  // an integer from 1 to left(), both included; the k-th pupil not called yet, in list order,
  // is drawn. Once everybody has been called the draw begins a new round. 0 for an empty list.
  template <class Random>
  int Draw(Random&& random) {
    if (called_.empty()) return 0;
    if (left() == 0) called_.assign(called_.size(), false);
    const int n = left();
    int k = random(1, n);
    // A source that strays out of its range still draws someone not yet called.
    if (k < 1) k = 1;
    if (k > n) k = n;
    for (size_t i = 0; i < called_.size(); ++i) {
      if (!called_[i] && --k == 0) return static_cast<int>(i) + 1;
    }
    return 0;  // not reached: k is at most the number of pupils not called
  }

 private:
  std::vector<std::string> names_;  // the class list the round began with
  std::vector<bool> called_;        // one per pupil: called in this round
};

}  // namespace app
