#include "automation/variant.h"

#include <gtest/gtest.h>

#include "automation/dispatch_table.h"

namespace rv {
namespace {

// Counts the references it holds so copies and moves can be checked.
class Probe : public DispatchTable {
 public:
  explicit Probe(int* alive) : alive_(alive) { ++*alive_; }
  ~Probe() override { --*alive_; }

 private:
  int* alive_;
};

TEST(Variant, CopiesAndMovesKeepObjectReferencesBalanced) {
  int alive = 0;
  {
    Variant a = Variant::Object(new Probe(&alive));
    Variant b = a;
    Variant c = std::move(a);
    EXPECT_TRUE(a.is_empty());
    EXPECT_EQ(b.object(), c.object());
    b = Variant::Str("text");
    c = b;
    EXPECT_EQ(alive, 0);  // the last reference went with the last assignment
    EXPECT_EQ(c.str(), "text");
  }
  EXPECT_EQ(alive, 0);
  {
    Variant held = Variant::Object(new Probe(&alive));
    EXPECT_EQ(alive, 1);
    held.reset();
    EXPECT_EQ(alive, 0);
  }
}

TEST(Variant, ArraysAreCopiedWhenChangedWhileShared) {
  auto array = std::make_shared<VariantArray>(std::vector<ArrayBound>{{1, 3}}, VarType::Variant,
                                              Variant::Integer(0));
  Variant a = Variant::Array(array);
  array.reset();
  Variant b = a;
  b.MutableArray()->items[0] = Variant::Str("changed");
  EXPECT_TRUE(a.array()->items[0].is_integral());
  EXPECT_EQ(b.array()->items[0].str(), "changed");
  VariantArray* own = b.MutableArray();
  EXPECT_EQ(own, b.MutableArray());  // no copy once unshared
}

TEST(VariantArray, OffsetsFollowTheBoundsOfEachDimension) {
  VariantArray grid({{0, 3}, {1, 2}}, VarType::Long, Variant::Long(0));
  ASSERT_EQ(grid.items.size(), 6u);
  const int64_t first[] = {0, 1}, last[] = {2, 2}, low[] = {0, 0}, high[] = {3, 1};
  EXPECT_EQ(grid.Offset(first, 2), 0);
  EXPECT_EQ(grid.Offset(last, 2), 5);
  EXPECT_EQ(grid.Offset(low, 2), -1);
  EXPECT_EQ(grid.Offset(high, 2), -1);
  EXPECT_EQ(grid.Offset(first, 1), -1);
}

TEST(DispatchTable, MembersAnswerByNameKindAndArgumentCount) {
  auto object = MakeCom<DispatchTable>();
  std::string name = "a";
  object->AddProperty(
      "Name", [&](std::span<Variant>) -> Result<Variant> { return Variant::Str(name); },
      [&](std::span<Variant>, const Variant& v) -> Result<void> {
        if (!v.is_string()) return MakeError("Name needs text");
        name = v.str();
        return {};
      });
  object
      ->AddMethod("Twice",
                  [](std::span<Variant> args) -> Result<Variant> {
                    return Variant::Long(static_cast<int32_t>(args[0].int_value() * 2));
                  })
      .Args(1);

  DISPID name_id, twice_id, missing;
  ASSERT_EQ(object->GetIDsOfNames("NAME", &name_id), S_OK);
  ASSERT_EQ(object->GetIDsOfNames("twice", &twice_id), S_OK);
  EXPECT_EQ(object->GetIDsOfNames("Other", &missing), DISP_E_UNKNOWNNAME);

  Variant result;
  ExcepInfo ex;
  std::vector<Variant> put{Variant::Str("b")};
  EXPECT_EQ(object->Invoke(name_id, InvokeKind::PropertyPut, put, nullptr, &ex), S_OK);
  EXPECT_EQ(object->Invoke(name_id, InvokeKind::Method | InvokeKind::PropertyGet, {}, &result, &ex),
            S_OK);
  EXPECT_EQ(result.str(), "b");

  std::vector<Variant> bad{Variant::Long(1)};
  EXPECT_EQ(object->Invoke(name_id, InvokeKind::PropertyPut, bad, nullptr, &ex), DISP_E_EXCEPTION);
  EXPECT_EQ(ex.description, "Name needs text");

  std::vector<Variant> one{Variant::Long(21)};
  EXPECT_EQ(object->Invoke(twice_id, InvokeKind::Method, one, &result, &ex), S_OK);
  EXPECT_EQ(result.int_value(), 42);
  EXPECT_EQ(object->Invoke(twice_id, InvokeKind::Method, {}, &result, &ex), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(object->Invoke(twice_id, InvokeKind::PropertyPut, one, nullptr, &ex),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(object->Invoke(99, InvokeKind::Method, {}, &result, &ex), DISP_E_MEMBERNOTFOUND);
}

}  // namespace
}  // namespace rv
