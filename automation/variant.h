#pragma once

// The automation layer's value type. Integer, Long and LongLong share one
// 64-bit store and differ by their tag; Single is kept as a double rounded
// to float precision; Date is the day count since 30 Dec 1899 with the time
// of day as the fraction. Arrays are shared between copies: whoever changes
// an array in place first calls MutableArray(), which copies it when shared.

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace rv {

class IDispatch;
class VariantArray;

enum class VarType : uint16_t {
  Empty = 0,
  Null = 1,
  Integer = 2,
  Long = 3,
  Single = 4,
  Double = 5,
  Date = 7,
  String = 8,
  Object = 9,
  Error = 10,
  Boolean = 11,
  Variant = 12,
  LongLong = 20,
  Array = 0x2000,
};

class Variant {
 public:
  Variant() noexcept : i_(0) {}
  ~Variant() {
    if (owns_storage()) release_storage();
  }
  Variant(const Variant& o) : i_(0) {
    if (o.owns_storage()) {
      copy_from(o);
    } else {
      type_ = o.type_;
      i_ = o.i_;
    }
  }
  Variant(Variant&& o) noexcept : i_(0) { move_from(o); }
  Variant& operator=(const Variant& o) {
    if (!owns_storage() && !o.owns_storage()) {
      type_ = o.type_;
      i_ = o.i_;
      return *this;
    }
    if (this != &o) {
      if (type_ == VarType::String && o.type_ == VarType::String) {
        s_ = o.s_;
      } else {
        Variant copy(o);
        reset();
        move_from(copy);
      }
    }
    return *this;
  }
  Variant& operator=(Variant&& o) noexcept {
    if (this != &o) {
      reset();
      move_from(o);
    }
    return *this;
  }

  static Variant Null() { return Variant(VarType::Null); }
  static Variant Integer(int16_t v) { return Int(VarType::Integer, v); }
  static Variant Long(int32_t v) { return Int(VarType::Long, v); }
  static Variant LongLong(int64_t v) { return Int(VarType::LongLong, v); }
  static Variant Single(double v) { return Real(VarType::Single, static_cast<float>(v)); }
  static Variant Double(double v) { return Real(VarType::Double, v); }
  static Variant Date(double v) { return Real(VarType::Date, v); }
  static Variant Bool(bool v) {
    Variant r(VarType::Boolean);
    r.b_ = v;
    return r;
  }
  static Variant Error(int32_t code) { return Int(VarType::Error, code); }
  static Variant Str(std::string v) {
    Variant r;
    r.type_ = VarType::String;
    new (&r.s_) std::string(std::move(v));
    return r;
  }
  // Takes a reference of its own; a null pointer is the empty object (Nothing).
  static Variant Object(IDispatch* object);
  static Variant Array(std::shared_ptr<VariantArray> array) {
    Variant r;
    r.type_ = VarType::Array;
    new (&r.a_) std::shared_ptr<VariantArray>(std::move(array));
    return r;
  }
  // An Integer, Long or LongLong by its tag; the caller keeps v in its range.
  static Variant Integral(VarType t, int64_t v) { return Int(t, v); }
  // An integer of the smallest of Integer, Long, LongLong that holds it.
  static Variant FittingInt(int64_t v) {
    if (v >= -32768 && v <= 32767) return Integer(static_cast<int16_t>(v));
    if (v >= INT32_MIN && v <= INT32_MAX) return Long(static_cast<int32_t>(v));
    return LongLong(v);
  }

  VarType type() const { return type_; }
  bool is_empty() const { return type_ == VarType::Empty; }
  bool is_null() const { return type_ == VarType::Null; }
  bool is_string() const { return type_ == VarType::String; }
  bool is_object() const { return type_ == VarType::Object; }
  bool is_array() const { return type_ == VarType::Array; }
  bool is_integral() const {
    return type_ == VarType::Integer || type_ == VarType::Long || type_ == VarType::LongLong;
  }
  bool is_real() const {
    return type_ == VarType::Double || type_ == VarType::Single || type_ == VarType::Date;
  }

  // Raw stores; meaningful only for the matching tags.
  int64_t int_value() const { return i_; }
  double real_value() const { return d_; }
  bool bool_value() const { return b_; }
  int32_t error_code() const { return static_cast<int32_t>(i_); }
  // Changes the number of an Integer, Long or LongLong in place, keeping its tag.
  void set_int_value(int64_t v) { i_ = v; }
  const std::string& str() const { return s_; }
  std::string& str() { return s_; }
  IDispatch* object() const { return o_; }
  VariantArray* array() const { return a_.get(); }
  const std::shared_ptr<VariantArray>& array_ptr() const { return a_; }
  // The array, copied first when another Variant shares it.
  VariantArray* MutableArray();

  void reset() noexcept {
    if (owns_storage()) release_storage();
    type_ = VarType::Empty;
    i_ = 0;
  }

  // Strings, objects and arrays hold storage a copy must duplicate or share.
  bool owns_storage() const {
    return type_ == VarType::String || type_ == VarType::Object || type_ == VarType::Array;
  }

 private:
  explicit Variant(VarType t) : type_(t), i_(0) {}
  static Variant Int(VarType t, int64_t v) {
    Variant r(t);
    r.i_ = v;
    return r;
  }
  static Variant Real(VarType t, double v) {
    Variant r(t);
    r.d_ = v;
    return r;
  }
  void copy_from(const Variant& o);
  void move_from(Variant& o) noexcept {
    type_ = o.type_;
    if (!o.owns_storage()) {
      i_ = o.i_;
    } else {
      move_storage(o);
    }
    o.type_ = VarType::Empty;
    o.i_ = 0;
  }
  void move_storage(Variant& o) noexcept;
  void release_storage() noexcept;

  VarType type_ = VarType::Empty;
  union {
    int64_t i_;
    double d_;
    bool b_;
    IDispatch* o_;
    std::string s_;
    std::shared_ptr<VariantArray> a_;
  };
};

struct ArrayBound {
  int32_t lower = 0;
  int32_t count = 0;  // elements in this dimension
  int32_t upper() const { return lower + count - 1; }
};

// A rectangular array of one or more dimensions, the first dimension
// varying fastest in `items`.
class VariantArray {
 public:
  VariantArray() = default;
  VariantArray(std::vector<ArrayBound> bounds, VarType element_type, const Variant& fill);

  std::vector<ArrayBound> bounds;
  std::vector<Variant> items;
  VarType element_type = VarType::Variant;
  bool fixed = false;  // declared with bounds: ReDim refused

  int dims() const { return static_cast<int>(bounds.size()); }
  // Position of the element with these subscripts, or -1 when out of range.
  int64_t Offset(const int64_t* subscripts, int count) const;
};

}  // namespace rv
