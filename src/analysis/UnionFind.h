// The find of union-find with path halving (R. E. Tarjan and J. van Leeuwen, "Worst-case
// Analysis of Set Union Algorithms", J. ACM 31, 1984), over any array of parents.
#pragma once

namespace quarnel {

// The root of x's set; every other node on the way is pointed at its grandparent.
template <typename Parents, typename Index> Index FindRoot(Parents& parent, Index x) {
  while (parent[x] != x)
    x = parent[x] = parent[parent[x]];
  return x;
}

} // namespace quarnel
