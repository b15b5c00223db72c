// 1-based views of the run control's fixed-capacity arrays: a grid line, a
// column-major plane and the 3-D grid block. A view knows its extents, so a
// routine can never address an element outside the array it was lent.
#pragma once

#include <cassert>
#include <span>

namespace torvane {

// A line of doubles indexed 1..size().
class Line {
 public:
  Line() = default;
  explicit Line(std::span<double> values) : data_(values.data()), size_(static_cast<int>(values.size())) {}

  double& operator()(int i) const {
    assert(contains(i));
    return data_[i - 1];
  }
  int size() const { return size_; }
  bool contains(int i) const { return i >= 1 && i <= size_; }

 private:
  double* data_ = nullptr;
  int size_ = 0;
};

// A two-dimensional array stored column by column: element (i, j) lies at
// position (j - 1) * ld + i, counting from 1.
class Plane {
 public:
  Plane() = default;
  Plane(std::span<double> values, int ld, int nd2) : data_(values.data()), ld_(ld), nd2_(nd2) {
    assert(static_cast<long>(ld) * nd2 <= static_cast<long>(values.size()));
  }

  double& operator()(int i, int j) const {
    assert(contains(i, j));
    return data_[(j - 1) * ld_ + (i - 1)];
  }
  int ld() const { return ld_; }
  int nd2() const { return nd2_; }
  bool contains(int i, int j) const { return i >= 1 && i <= ld_ && j >= 1 && j <= nd2_; }

 private:
  double* data_ = nullptr;
  int ld_ = 0;
  int nd2_ = 0;
};

// A three-dimensional array with i fastest, then j, then k.
class Block {
 public:
  Block() = default;
  Block(std::span<double> values, int ld, int nd2, int nd3) : data_(values.data()), ld_(ld), nd2_(nd2), nd3_(nd3) {
    assert(static_cast<long>(ld) * nd2 * nd3 <= static_cast<long>(values.size()));
  }

  double& operator()(int i, int j, int k) const {
    assert(contains(i, j, k));
    return data_[((k - 1) * nd2_ + (j - 1)) * ld_ + (i - 1)];
  }
  int ld() const { return ld_; }
  int nd2() const { return nd2_; }
  int nd3() const { return nd3_; }
  bool contains(int i, int j, int k) const { return i >= 1 && i <= ld_ && j >= 1 && j <= nd2_ && k >= 1 && k <= nd3_; }

 private:
  double* data_ = nullptr;
  int ld_ = 0;
  int nd2_ = 0;
  int nd3_ = 0;
};

}  // namespace torvane

namespace torvane {

// The three coordinate arrays of the grid, lent together.
struct Grid {
  Block xg;  // axial coordinate
  Block yg;  // r sin(theta)
  Block zg;  // r cos(theta)
};

}  // namespace torvane
