// The one way the host hashes its values: style interning, the shared string table and the
// fingerprint of what a save would write all hash fonts and texts through HashInto, so that a
// field hashed in one and forgotten in another cannot make them disagree.
#ifndef TARQUEL_HOST_HASHER_H_
#define TARQUEL_HOST_HASHER_H_

#include <bit>
#include <cstdint>
#include <functional>
#include <string_view>

namespace tarquel::host {

class Hasher {
 public:
  void Add(uint64_t value) { hash_ ^= value + 0x9E3779B97F4A7C15u + (hash_ << 6) + (hash_ >> 2); }
  void Add(double value) { Add(std::bit_cast<uint64_t>(value)); }
  void Add(std::string_view text) {
    Add(std::hash<std::string_view>()(text));
    Add(uint64_t{text.size()});
  }
  // Marks where a list of varying length ends, so that two lists cannot run into each other.
  void Count(std::size_t count) { Add(uint64_t{count} ^ 0xC0FFEEu); }
  uint64_t value() const { return hash_; }

 private:
  uint64_t hash_ = 0x6A09E667F3BCC908u;
};

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_HASHER_H_
