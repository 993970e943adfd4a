// Exceptions are objects of the class registry as well as std::exceptions.
#include "platform/rtl/Exceptions.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"

namespace {

// An exception class of some library that never registered: it reports its nearest
// registered ancestor.
QH_DECLARE_EXCEPTION(EUnregisteredReadError, EReadError);

} // namespace

TEST(Exceptions, ClassRecordsNameEveryRuntimeException)
{
  struct Case {
    const char* Thrown;
    std::function<void()> Raise;
    const char* Ancestor;
  };
  const Case cases[] = {
      {"Exception", [] { throw Exception("x"); }, "Exception"},
      {"EAbort", [] { Abort(); }, "Exception"},
      {"EConvertError", [] { throw EConvertError("x"); }, "Exception"},
      {"EStringListError", [] { throw EStringListError("x"); }, "EListError"},
      {"EZeroDivide", [] { throw EZeroDivide("x"); }, "EMathError"},
      {"ERangeError", [] { throw ERangeError("x"); }, "EIntError"},
      {"EVariantOverflowError", [] { throw EVariantOverflowError("x"); }, "EVariantError"},
      {"EReadError", [] { throw EReadError("x"); }, "EStreamError"},
      {"EClassNotFound", [] { throw EClassNotFound("x"); }, "EFilerError"},
      {"EInOutError", [] { throw EInOutError("x", 2); }, "Exception"},
      {"EResNotFound", [] { throw EResNotFound("x"); }, "Exception"},
      {"EIniFileException", [] { throw EIniFileException("x"); }, "Exception"},
      {"ERegistryException", [] { throw ERegistryException("x"); }, "Exception"},
      {"EReadError", [] { throw EUnregisteredReadError("x"); }, "EStreamError"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Thrown);
    try {
      c.Raise();
      FAIL() << "nothing raised";
    } catch (const Exception& e) {
      EXPECT_EQ(e.ClassName(), c.Thrown);
      EXPECT_TRUE(e.InheritsFrom(FindClass(c.Ancestor)));
      EXPECT_TRUE(e.InheritsFrom(ClassInfoOf<Exception>()));
      EXPECT_FALSE(e.InheritsFrom(ClassInfoOf<TPersistent>()));
      // "is" by class name, as scripts ask it.
      EXPECT_TRUE(e.ClassType()->InheritsFrom(FindClass(c.Thrown)));
    }
  }
}

TEST(Exceptions, StillCaughtAsStdExceptionAndCopiedWithTheirMessage)
{
  try {
    throw EConvertError("'x' is not a valid integer value", 7);
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "'x' is not a valid integer value");
    const auto* object = dynamic_cast<const TObject*>(&e);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->ClassName(), "EConvertError");
  }
  // Rethrowing a copy keeps class, message and help context.
  try {
    try {
      throw EListError("first", 3);
    } catch (const EListError& e) {
      EListError copy = e;
      copy.SetMessage("second");
      throw copy;
    }
  } catch (const Exception& e) {
    EXPECT_EQ(e.ClassName(), "EListError");
    EXPECT_EQ(e.Message(), "second");
    EXPECT_EQ(e.HelpContext(), 3);
  }
  // An exception made by its class reference, as a script's raise does.
  std::unique_ptr<TObject> made(FindClass("EAbort")->Create());
  EXPECT_NE(dynamic_cast<EAbort*>(made.get()), nullptr);
}
