// Handles: every platform object the core owns lives in one table and is
// named by a small, pointer-sized value that encodes its slot and a
// generation, so a handle kept after its object is gone is recognised as
// stale instead of reaching freed memory.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace platform::core {

enum class Kind : std::uint8_t {
  kWindow,
  kDeviceContext,
  kBitmap,
  kPalette,
  kRegion,
  kBrush,
  kPen,
  kFont,
  kCursor,
  kGlContext,
  kGlobalMemory,
};

class Object {
 public:
  explicit Object(Kind kind) : kind_(kind) {}
  virtual ~Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  Kind kind() const { return kind_; }
  // Stock objects and system cursors: DeleteObject and friends leave them be.
  bool permanent = false;

 private:
  Kind kind_;
};

class ObjectTable {
 public:
  // Takes ownership; returns the new handle value (never 0).
  std::uintptr_t add(std::unique_ptr<Object> object);
  Object* find(std::uintptr_t handle) const;
  // Removes and returns the object; null for a stale or unknown handle.
  std::unique_ptr<Object> remove(std::uintptr_t handle);
  std::size_t size() const { return live_; }

  template <class T>
  T* find_as(std::uintptr_t handle) const {
    Object* object = find(handle);
    return object != nullptr && object->kind() == T::kKind ? static_cast<T*>(object) : nullptr;
  }

 private:
  static constexpr unsigned kGenerationBits = 12;
  static constexpr std::uintptr_t kGenerationMask = (1u << kGenerationBits) - 1;

  struct Slot {
    std::unique_ptr<Object> object;
    std::uint16_t generation = 1;
  };
  std::vector<Slot> slots_;
  std::vector<std::uint32_t> free_slots_;
  std::size_t live_ = 0;
};

}  // namespace platform::core
