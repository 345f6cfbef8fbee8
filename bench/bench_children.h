#pragma once

#include <cstddef>
#include <string>

namespace bench {

// One measurement over the records file in `folder`, holding `count` records; prints its samples.
int measure_child(int argc, char** argv, const std::string& kind, const std::string& folder,
                  std::size_t count);

// The index children: our index built from the file, and one read of it hashing every line.
int index_child(const std::string& path, bool reference);

// Private records turned on over the plain records file at `path`, with a key kept in memory.
int private_on_child(const std::string& path);

}  // namespace bench
