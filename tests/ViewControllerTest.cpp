// View controllers: view loading, children, presentation, and dealloc of a dismissed host
// controller, all through the runtime so that host overrides and replacements run.
#include <gtest/gtest.h>

#include "apps/HostClasses.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

namespace {

std::vector<std::string>& messages() {
  static std::vector<std::string> list;
  return list;
}
void note(id self, SEL cmd) {
  messages().push_back(std::string(object_getClassName(self)) + " " + sel_getName(cmd));
}
void noteAnimated(id self, SEL cmd, bool) {
  note(self, cmd);
}

// A controller class of the test's own with every message it receives noted.
Class notingClass(const char* name) {
  Class cls = objc_registerClass(name, UIViewController::class_());
  for (const char* sel :
       {"viewWillAppear:", "viewDidAppear:", "viewWillDisappear:", "viewDidDisappear:"}) {
    class_addMethod(cls, sel_registerName(sel), noteAnimated, "v@:B");
  }
  class_addMethod(cls, sel_registerName("viewDidLoad"), note, "v@:");
  return cls;
}

std::shared_ptr<UIViewController> controllerOf(Class cls) {
  return cast<UIViewController>(class_createInstance(cls));
}

HostSignature::Void hostViewDidLoad;
int viewDidLoadCalls = 0;
bool viewLoadedInViewDidLoad = false;
void replacedViewDidLoad(id self, SEL cmd) {
  ++viewDidLoadCalls;
  viewLoadedInViewDidLoad = objc_msgSend<bool()>(self, "isViewLoaded");
  hostViewDidLoad(self, cmd);
}

HostSignature::Void hostDealloc;
int deallocCalls = 0;
void replacedDealloc(id self, SEL cmd) {
  ++deallocCalls;
  hostDealloc(self, cmd);
}

// Once per process: a second replacement would replace the first and call itself.
void hookListDealloc() {
  static bool hooked = false;
  if (hooked) return;
  MSHookMessageEx(objc_getClass("CallBarABViewController"), sel_registerName("dealloc"),
                  replacedDealloc, &hostDealloc);
  hooked = true;
}

std::shared_ptr<UIView> customView;
void loadCustomView(id self, SEL) {
  cast<UIViewController>(self)->setView(customView);
}

}  // namespace

TEST(ViewController, HostControllersAreControllersWhoseViewLoadsThroughTheRuntime) {
  standin::apps::registerCallBarClasses();
  Class host = objc_getClass("CallBarControllerModern");
  ASSERT_TRUE(host);
  static bool hooked = false;
  if (!hooked) {
    MSHookMessageEx(host, sel_registerName("viewDidLoad"), replacedViewDidLoad, &hostViewDidLoad);
    hooked = true;
  }
  auto controller = controllerOf(host);
  ASSERT_TRUE(controller);
  EXPECT_STREQ(object_getClassName(controller), "CallBarControllerModern");
  EXPECT_TRUE(controllerOf(objc_getClass("CallBarABViewController")));

  viewDidLoadCalls = 0;
  EXPECT_FALSE(controller->isViewLoaded());
  auto view = controller->view();
  ASSERT_TRUE(view);
  EXPECT_EQ(viewDidLoadCalls, 1);
  EXPECT_TRUE(viewLoadedInViewDidLoad);
  EXPECT_EQ(objc_msgSend<id()>(controller, "view"), view);  // loaded once
  EXPECT_EQ(viewDidLoadCalls, 1);

  // A subclass's loadView decides the view.
  Class custom = objc_registerClass("ViewControllerCustomLoad", UIViewController::class_());
  class_addMethod(custom, sel_registerName("loadView"), loadCustomView, "v@:");
  customView = make<UIView>(CGRectMake(0, 0, 10, 10));
  EXPECT_EQ(controllerOf(custom)->view(), customView);
  customView = nullptr;
}

TEST(ViewController, ChildrenMoveBetweenParentsWithoutRings) {
  auto parent = make<UIViewController>();
  auto other = make<UIViewController>();
  auto child = make<UIViewController>();
  parent->addChildViewController(child);
  EXPECT_EQ(child->parentViewController(), parent);
  other->addChildViewController(child);  // taken from the first parent
  EXPECT_EQ(child->parentViewController(), other);
  EXPECT_TRUE(parent->childViewControllers().empty());
  ASSERT_EQ(other->childViewControllers().size(), 1u);

  child->addChildViewController(other);  // its own parent: refused
  EXPECT_TRUE(child->childViewControllers().empty());
  EXPECT_FALSE(other->parentViewController());

  std::weak_ptr<UIViewController> watched = child;
  objc_msgSend<void()>(child, "removeFromParentViewController");
  EXPECT_TRUE(other->childViewControllers().empty());
  child.reset();
  EXPECT_TRUE(watched.expired());
}

TEST(ViewController, PresentsOverTheTreeAndDismissesFromEitherSide) {
  Class cls = notingClass("ViewControllerNoting");
  auto root = make<UIView>(CGRectMake(0, 0, 320, 480));
  auto presenter = controllerOf(cls);
  root->addSubview(presenter->view());
  auto shown = controllerOf(cls);
  auto second = controllerOf(notingClass("ViewControllerNotingTop"));

  messages().clear();
  bool completed = false;
  presenter->presentViewController(shown, true, [&] { completed = true; });
  EXPECT_TRUE(completed);
  EXPECT_EQ(presenter->presentedViewController(), shown);
  EXPECT_EQ(shown->presentingViewController(), presenter);
  EXPECT_EQ(shown->view()->superview(), root);  // over the whole tree
  EXPECT_EQ(shown->view()->frame().size.height, 480);
  std::vector<std::string> expected = {
      "ViewControllerNoting viewDidLoad",
      "ViewControllerNoting viewWillAppear:", "ViewControllerNoting viewDidAppear:"};
  EXPECT_EQ(messages(), expected);

  presenter->presentViewController(second, false, nullptr);  // already presenting one
  EXPECT_EQ(presenter->presentedViewController(), shown);
  EXPECT_FALSE(second->presentingViewController());

  // Dismissed from the presented controller itself: its presenter lets go of it.
  shown->presentViewController(second, false, nullptr);
  EXPECT_EQ(second->view()->superview(), root);
  completed = false;
  second->dismissViewControllerAnimated(true, [&] { completed = true; });
  EXPECT_TRUE(completed);
  EXPECT_EQ(shown->presentedViewController(), nullptr);
  EXPECT_FALSE(second->presentingViewController());
  EXPECT_EQ(presenter->presentedViewController(), shown);
  EXPECT_FALSE(second->view()->superview());

  // From the presenter, the whole stack above it goes, top first.
  shown->presentViewController(second, false, nullptr);
  messages().clear();
  objc_msgSend<void(bool, dispatch_block_t)>(
      presenter, "dismissViewControllerAnimated:completion:", false, dispatch_block_t());
  EXPECT_FALSE(presenter->presentedViewController());
  EXPECT_FALSE(shown->presentingViewController());
  EXPECT_FALSE(shown->view()->superview());
  expected = {
      "ViewControllerNotingTop viewWillDisappear:", "ViewControllerNotingTop viewDidDisappear:",
      "ViewControllerNoting viewWillDisappear:", "ViewControllerNoting viewDidDisappear:"};
  EXPECT_EQ(messages(), expected);
}

TEST(ViewController, DeallocReplacementRunsOnceWhenADismissedHostControllerIsReleased) {
  standin::apps::registerCallBarClasses();
  hookListDealloc();
  ASSERT_TRUE(hostDealloc);
  auto presenter = make<UIViewController>();
  presenter->setView(make<UIView>(CGRectMake(0, 0, 320, 480)));
  deallocCalls = 0;
  {
    auto list = controllerOf(objc_getClass("CallBarABViewController"));
    presenter->presentViewController(list, false, nullptr);
  }
  EXPECT_EQ(deallocCalls, 0);  // the presenter holds it while it is on screen
  presenter->dismissViewControllerAnimated(false, nullptr);
  EXPECT_EQ(deallocCalls, 1);
  presenter.reset();
  EXPECT_EQ(deallocCalls, 1);  // once only
}

TEST(ViewController, WindowRootFillsTheWindowAndGoesWhenReplaced) {
  standin::apps::registerCallBarClasses();
  hookListDealloc();
  auto window = make<UIWindow>(CGRectMake(0, 0, 375, 667));
  Class noting = notingClass("WindowRootController");
  messages().clear();
  window->setRootViewController(controllerOf(noting));
  auto root = window->rootViewController();
  ASSERT_TRUE(root);
  EXPECT_EQ(root->view()->superview(), window);
  EXPECT_EQ(root->view()->frame().size.height, 667);
  EXPECT_EQ(messages(), (std::vector<std::string>{"WindowRootController viewDidLoad",
                                                  "WindowRootController viewWillAppear:",
                                                  "WindowRootController viewDidAppear:"}));

  // The frontmost controller is the last one presented over the root.
  deallocCalls = 0;
  root->presentViewController(controllerOf(objc_getClass("CallBarABViewController")), false,
                              nullptr);
  EXPECT_STREQ(object_getClassName(window->frontmostViewController()), "CallBarABViewController");
  root->dismissViewControllerAnimated(false, nullptr);
  EXPECT_EQ(deallocCalls, 1);
  EXPECT_EQ(window->frontmostViewController(), root);

  // A root nobody else holds is released when the window lets it go.
  window->setRootViewController(controllerOf(objc_getClass("CallBarABViewController")));
  EXPECT_EQ(root->view()->superview(), nullptr);
  root.reset();
  window->setRootViewController(nullptr);
  EXPECT_EQ(deallocCalls, 2);
  EXPECT_TRUE(window->subviews().empty());
}
