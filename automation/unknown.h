#pragma once

// The root of every automation interface: intrusive reference counting.
// Objects are created with no references; ComPtr takes the first one, so
// `ComPtr<T> p(new T(...))` owns the object and the last Release deletes it.

#include <atomic>
#include <cstdint>
#include <utility>

namespace rv {

class IUnknown {
 public:
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};

// Implements AddRef/Release for one interface; thread-safe counting because
// host objects may be handed between threads.
template <typename Interface>
class RefCounted : public Interface {
 public:
  uint32_t AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
  uint32_t Release() override {
    uint32_t left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<uint32_t> refs_{0};
};

// Owning pointer to a reference-counted interface.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <typename U>
  ComPtr(const ComPtr<U>& o) : ComPtr(o.get()) {}
  ~ComPtr() { reset(); }

  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  bool operator==(const ComPtr& o) const { return p_ == o.p_; }

 private:
  T* p_ = nullptr;
};

template <typename T, typename... Args>
ComPtr<T> MakeCom(Args&&... args) {
  return ComPtr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace rv
