#pragma once

#include <cstdlib>
#include <memory>

namespace vv {

// XCB hands every reply (and error) over as malloc'ed memory for the caller to free.
struct FreeXcbReply {
  void operator()(void* memory) const { std::free(memory); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeXcbReply>;

}  // namespace vv
