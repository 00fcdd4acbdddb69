// The drawing-suppression flag: a property of every object, known to the runtime.
#include "HookedProcess.h"
#include "runtime/objc.h"

TEST_F(HookedProcessTest, DrawingFlagIsAPropertyOfEveryObject) {
  start();
  auto object = make<NSObject>();
  ASSERT_TRUE(respondsToSelector(object, sel_registerName("__talvoIgnoreCurrentTalvoDrawing")));
  ASSERT_TRUE(respondsToSelector(object, sel_registerName("set__talvoIgnoreCurrentTalvoDrawing:")));
  EXPECT_FALSE(objc_msgSend<bool()>(object, "__talvoIgnoreCurrentTalvoDrawing"));
  objc_msgSend<void(bool)>(object, "set__talvoIgnoreCurrentTalvoDrawing:", true);
  objc_msgSend<void(bool)>(object, "set__talvoIgnoreCurrentTalvoDrawing:", false);
  objc_msgSend<void(bool)>(object, "set__talvoIgnoreCurrentTalvoDrawing:", true);
  EXPECT_TRUE(objc_msgSend<bool()>(object, "__talvoIgnoreCurrentTalvoDrawing"));
  EXPECT_FALSE(objc_msgSend<bool()>(make<NSObject>(), "__talvoIgnoreCurrentTalvoDrawing"));
}
