// Method types that disagree with their selector are refused when the method is added.
#include <gtest/gtest.h>

#include <string>

#include "runtime/TypeEncoding.h"
#include "runtime/objc.h"

namespace {
void takesOne(id, SEL, id) {}
void takesNone(id, SEL) {}

std::string refusal(Class cls, const char* selector, const char* types) {
  try {
    class_addMethod(cls, sel_registerName(selector), takesOne, types);
  } catch (const objc_runtime_error& error) {
    return error.what();
  }
  return "";
}
}  // namespace

TEST(TypeEncoding, CountsArgumentsOfEveryKindOfType) {
  EXPECT_EQ(typeEncodingArgumentCount("v@:"), 0u);
  EXPECT_EQ(typeEncodingArgumentCount("v@:@"), 1u);
  EXPECT_EQ(typeEncodingArgumentCount("v@:@@"), 2u);
  // Frame offsets, structures, pointers, qualifiers, blocks and class-named objects are one each.
  EXPECT_EQ(typeEncodingArgumentCount("v24@0:8@16"), 1u);
  EXPECT_EQ(typeEncodingArgumentCount("{CGSize=dd}@:@@@{CGSize=dd}{CGPoint=dd}f@q"), 8u);
  EXPECT_EQ(typeEncodingArgumentCount("@@:^B^{CGRect={CGPoint=dd}{CGSize=dd}}r*"), 3u);
  EXPECT_EQ(typeEncodingArgumentCount("v@:@?@\"NSString\"[4i](u=iq)"), 4u);
  // Not a method's types: missing self or _cmd, or an unknown or unclosed type.
  EXPECT_EQ(typeEncodingArgumentCount("v@"), std::nullopt);
  EXPECT_EQ(typeEncodingArgumentCount("v@:{CGSize=dd"), std::nullopt);
  EXPECT_EQ(typeEncodingArgumentCount("v@:%"), std::nullopt);
  EXPECT_EQ(typeEncodingArgumentCount(nullptr), std::nullopt);

  EXPECT_EQ(selectorArgumentCount("reloadData"), 0u);
  EXPECT_EQ(selectorArgumentCount("talvoCBSettingsChanged:"), 1u);
  EXPECT_EQ(selectorArgumentCount("tableView:cellForRowAtIndexPath:"), 2u);
}

TEST(TypeEncoding, AddingAMethodRefusesTypesOfAnotherArgumentCount) {
  Class cls = objc_registerClass("TypeEncodingRefusal", NSObject::class_());
  std::string tooMany = refusal(cls, "settingsChanged:", "v@:@@");
  EXPECT_NE(tooMany.find("TypeEncodingRefusal settingsChanged:] takes 1 argument"),
            std::string::npos)
      << tooMany;
  EXPECT_NE(tooMany.find("\"v@:@@\" describe 2"), std::string::npos) << tooMany;
  EXPECT_NE(refusal(cls, "settingsChanged:", "v@:").find("describe 0"), std::string::npos);
  EXPECT_NE(refusal(cls, "settingsChanged:", "v@").find("are not a method's types"),
            std::string::npos);
  // Nothing was added by the refusals; matching types are added as before.
  EXPECT_FALSE(class_respondsToSelector(cls, sel_registerName("settingsChanged:")));
  EXPECT_EQ(refusal(cls, "settingsChanged:", "v@:@"), "");
  EXPECT_TRUE(class_respondsToSelector(cls, sel_registerName("settingsChanged:")));
  // Types left out are not checked.
  EXPECT_TRUE(class_addMethod(cls, sel_registerName("untyped:"), takesOne, ""));
  EXPECT_TRUE(class_addMethod(cls, sel_registerName("plain"), takesNone, "v@:"));
}
