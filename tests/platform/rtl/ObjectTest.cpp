#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TypInfo.h"

namespace {

// Class-side operations: a caption every shape class answers without an instance.
struct TShapeOps : TClassOps {
  virtual AnsiString Caption() const { return "shape"; }
};
struct TCircleOps : TShapeOps {
  AnsiString Caption() const override { return "circle"; }
};

class TShape : public TPersistent {
public:
  virtual AnsiString Kind() const = 0;
};
class TCircle : public TShape {
public:
  AnsiString Kind() const override { return "circle"; }
};
class TBigCircle : public TCircle {};
class TUnregisteredCircle : public TBigCircle {}; // never registers

struct IDrawable {
  virtual ~IDrawable() = default;
  virtual int Draw() = 0;
};
class TSquare : public TShape, public IDrawable {
public:
  AnsiString Kind() const override { return "square"; }
  int Draw() override { return 4; }
};

class ObjectTest : public testing::Test {
protected:
  void SetUp() override
  {
    TClassRegistration<TShape, TPersistent>("TShape").ClassOps<TShapeOps>();
    TClassRegistration<TCircle, TShape>("TCircle").ClassOps<TCircleOps>();
    TClassRegistration<TBigCircle, TCircle>("TBigCircle");
    TClassRegistration<TSquare, TShape>("TSquare");
    RegisterClasses({ClassInfoOf<TCircle>(), ClassInfoOf<TSquare>(), ClassInfoOf<TShape>()});
  }
};

} // namespace

TEST_F(ObjectTest, ClassReferencesFollowTheDynamicType)
{
  TBigCircle big;
  TObject* obj = &big;
  EXPECT_EQ(obj->ClassName(), "TBigCircle");
  EXPECT_EQ(obj->ClassType(), ClassInfoOf<TBigCircle>());
  EXPECT_EQ(obj->ClassParent(), ClassInfoOf<TCircle>());
  EXPECT_TRUE(obj->InheritsFrom(ClassInfoOf<TShape>()));
  EXPECT_TRUE(obj->InheritsFrom(TObjectClass()));
  EXPECT_FALSE(obj->InheritsFrom(ClassInfoOf<TSquare>()));
  EXPECT_TRUE(obj->ClassNameIs("tbigcircle"));
  EXPECT_EQ(TObjectClass()->Parent, nullptr);

  // A class that never registered answers with its nearest registered ancestor.
  TUnregisteredCircle unregistered;
  EXPECT_EQ(unregistered.ClassType(), ClassInfoOf<TBigCircle>());
  TObject plain;
  EXPECT_EQ(plain.ClassName(), "TObject");
}

TEST_F(ObjectTest, RegistryFindsClassesByNameIgnoringCase)
{
  EXPECT_EQ(GetClass("tcircle"), ClassInfoOf<TCircle>());
  EXPECT_EQ(FindClass("TSQUARE"), ClassInfoOf<TSquare>());
  EXPECT_EQ(GetClass("TBigCircle"), nullptr); // has a record but was not registered by name
  try {
    FindClass("TTriangle");
    FAIL();
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(e.Message(), "Class TTriangle not found");
  }
  UnRegisterClass(ClassInfoOf<TSquare>());
  EXPECT_EQ(GetClass("TSquare"), nullptr);
}

TEST_F(ObjectTest, VirtualConstructionByName)
{
  std::unique_ptr<TObject> made(FindClass("TCircle")->Create());
  EXPECT_EQ(made->ClassType(), ClassInfoOf<TCircle>());
  EXPECT_EQ(As<TShape>(made.get())->Kind(), "circle");
  // An abstract class has no virtual constructor.
  EXPECT_EQ(FindClass("TShape")->Factory, nullptr);
  EXPECT_THROW(FindClass("TShape")->Create(), EAbstractError);
}

TEST_F(ObjectTest, ClassSideOperationsComeFromTheNearestClassThatHasThem)
{
  EXPECT_EQ(ClassOps<TShapeOps>(ClassInfoOf<TCircle>())->Caption(), "circle");
  EXPECT_EQ(ClassOps<TShapeOps>(ClassInfoOf<TBigCircle>())->Caption(), "circle");
  EXPECT_EQ(ClassOps<TShapeOps>(ClassInfoOf<TSquare>())->Caption(), "shape");
  EXPECT_EQ(ClassOps<TCircleOps>(ClassInfoOf<TSquare>()), nullptr);
}

TEST_F(ObjectTest, IsAsAndSupports)
{
  TCircle circle;
  TSquare square;
  TObject* c = &circle;
  TObject* s = &square;
  EXPECT_TRUE(Is<TShape>(c));
  EXPECT_FALSE(Is<TSquare>(c));
  EXPECT_FALSE(Is<TShape>(static_cast<TObject*>(nullptr)));
  EXPECT_EQ(As<TCircle>(c), &circle);
  EXPECT_EQ(As<TCircle>(static_cast<TObject*>(nullptr)), nullptr);
  try {
    As<TSquare>(c);
    FAIL();
  } catch (const EInvalidCast& e) {
    EXPECT_EQ(e.Message(), "Invalid class typecast");
  }
  IDrawable* drawable = nullptr;
  EXPECT_TRUE(Supports(s, drawable));
  EXPECT_EQ(drawable->Draw(), 4);
  EXPECT_FALSE(Supports<IDrawable>(c));
}

namespace {

struct TTracked : TObject {
  explicit TTracked(std::vector<std::string>& log, bool fail = false) : Log(log)
  {
    if (fail)
      throw EAbort("no");
  }
  ~TTracked() override { Log.push_back("destructor"); }
  void BeforeDestruction() override { Log.push_back("before " + Name()); }
  virtual std::string Name() const { return "tracked"; }
  std::vector<std::string>& Log;
};

struct TTrackedChild : TTracked {
  using TTracked::TTracked;
  std::string Name() const override { return "child"; }
};

} // namespace

TEST_F(ObjectTest, DeleteRunsBeforeDestructionOnTheWholeObject)
{
  std::vector<std::string> log;
  TTracked* obj = new TTrackedChild(log);
  delete obj;
  EXPECT_EQ(log, (std::vector<std::string>{"before child", "destructor"}));

  log.clear();
  {
    TTrackedChild local(log);
  } // not deleted: no BeforeDestruction
  EXPECT_EQ(log, (std::vector<std::string>{"destructor"}));

  log.clear();
  EXPECT_THROW(new TTrackedChild(log, true), EAbort); // the memory is freed, no destructor
  EXPECT_TRUE(log.empty());

  alignas(TTrackedChild) unsigned char place[sizeof(TTrackedChild)];
  auto* inPlace = new (place) TTrackedChild(log);
  inPlace->~TTrackedChild();
  EXPECT_EQ(log, (std::vector<std::string>{"destructor"}));
}

TEST_F(ObjectTest, FreeAcceptsNullAndFreeAndNilClears)
{
  Free(nullptr);
  TCircle* circle = new TCircle;
  FreeAndNil(circle);
  EXPECT_EQ(circle, nullptr);
}
