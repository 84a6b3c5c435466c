#include "automation/variant.h"

#include "automation/dispatch.h"

namespace rv {

Variant Variant::Object(IDispatch* object) {
  Variant r(VarType::Object);
  r.o_ = object;
  if (object) object->AddRef();
  return r;
}

void Variant::release_storage() noexcept {
  switch (type_) {
    case VarType::String:
      s_.~basic_string();
      break;
    case VarType::Object:
      if (o_) o_->Release();
      break;
    case VarType::Array:
      a_.~shared_ptr();
      break;
    default:
      break;
  }
  type_ = VarType::Empty;
  i_ = 0;
}

void Variant::move_storage(Variant& o) noexcept {
  switch (type_) {
    case VarType::String:
      new (&s_) std::string(std::move(o.s_));
      o.s_.~basic_string();
      break;
    case VarType::Array:
      new (&a_) std::shared_ptr<VariantArray>(std::move(o.a_));
      o.a_.~shared_ptr();
      break;
    default:  // objects move as the pointer
      i_ = o.i_;
      break;
  }
}

void Variant::copy_from(const Variant& o) {
  type_ = o.type_;
  i_ = 0;
  switch (type_) {
    case VarType::String:
      new (&s_) std::string(o.s_);
      break;
    case VarType::Array:
      new (&a_) std::shared_ptr<VariantArray>(o.a_);
      break;
    case VarType::Object:
      o_ = o.o_;
      if (o_) o_->AddRef();
      break;
    default:
      i_ = o.i_;
      break;
  }
}

VariantArray* Variant::MutableArray() {
  if (type_ != VarType::Array) return nullptr;
  if (a_.use_count() > 1) a_ = std::make_shared<VariantArray>(*a_);
  return a_.get();
}

VariantArray::VariantArray(std::vector<ArrayBound> b, VarType type, const Variant& fill)
    : bounds(std::move(b)), element_type(type) {
  size_t total = bounds.empty() ? 0 : 1;
  for (const ArrayBound& bound : bounds)
    total *= static_cast<size_t>(bound.count);
  items.assign(total, fill);
}

int64_t VariantArray::Offset(const int64_t* subscripts, int count) const {
  if (count != dims()) return -1;
  int64_t offset = 0;
  int64_t stride = 1;
  for (int d = 0; d < count; ++d) {
    int64_t index = subscripts[d] - bounds[d].lower;
    if (index < 0 || index >= bounds[d].count) return -1;
    offset += index * stride;
    stride *= bounds[d].count;
  }
  return offset;
}

}  // namespace rv
