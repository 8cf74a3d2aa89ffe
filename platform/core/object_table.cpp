#include "platform/core/object_table.h"

namespace platform::core {

std::uintptr_t ObjectTable::add(std::unique_ptr<Object> object) {
  std::uint32_t index;
  if (!free_slots_.empty()) {
    index = free_slots_.back();
    free_slots_.pop_back();
  } else {
    index = static_cast<std::uint32_t>(slots_.size());
    slots_.emplace_back();
  }
  Slot& slot = slots_[index];
  slot.object = std::move(object);
  ++live_;
  return (static_cast<std::uintptr_t>(index) + 1) << kGenerationBits | slot.generation;
}

Object* ObjectTable::find(std::uintptr_t handle) const {
  const std::uintptr_t index = (handle >> kGenerationBits) - 1;
  if (handle == 0 || index >= slots_.size()) return nullptr;
  const Slot& slot = slots_[index];
  if (slot.generation != (handle & kGenerationMask)) return nullptr;
  return slot.object.get();
}

std::unique_ptr<Object> ObjectTable::remove(std::uintptr_t handle) {
  if (find(handle) == nullptr) return nullptr;
  const std::uintptr_t index = (handle >> kGenerationBits) - 1;
  Slot& slot = slots_[index];
  std::unique_ptr<Object> object = std::move(slot.object);
  // Generation 0 is never handed out, so a wrapped counter cannot revive a
  // handle of the slot's first life at once.
  slot.generation = static_cast<std::uint16_t>((slot.generation % kGenerationMask) + 1);
  free_slots_.push_back(static_cast<std::uint32_t>(index));
  --live_;
  return object;
}

}  // namespace platform::core
