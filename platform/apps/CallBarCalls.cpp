// CallBar's call objects: the live call the overlay shows, and the records of its call history.
// History records come in several classes, as the package's versions kept them: each answers
// the identifying methods its record carried (uid, addressBookRecordId, callerName).
#include "apps/CallBar.h"
#include "apps/CallBarCallRecords.h"
#include "apps/HostMethods.h"

using standin::apps::detail::classNamed;
using standin::apps::detail::define;

Class CallBarCall::class_() {
  static Class cls = objc_registerClass("CallBarCall", NSObject::class_());
  return cls;
}

CallBarCall::CallBarCall(std::string destinationID, double startTime)
    : NSObject(class_()), destinationID(std::move(destinationID)), startTime(startTime) {}

namespace callbar {
namespace {

class CallRecord : public NSObject {
 public:
  CallRecord(Class cls, int32_t uid, int32_t recordID, std::string callerName, CallFacts facts)
      : NSObject(cls),
        uid(uid),
        recordID(recordID),
        callerName(std::move(callerName)),
        facts(std::move(facts)) {}
  const int32_t uid;
  const int32_t recordID;
  const std::string callerName;
  const CallFacts facts;
};

id destinationID(id self, SEL) {
  auto call = cast<CallBarCall>(self);
  return call ? NSString::stringWithUTF8String(call->destinationID) : nullptr;
}
double startTime(id self, SEL) {
  auto call = cast<CallBarCall>(self);
  return call ? call->startTime : 0;
}

int32_t uid(id self, SEL) {
  auto record = cast<CallRecord>(self);
  return record ? record->uid : 0;
}
id addressBookRecordId(id self, SEL) {
  auto record = cast<CallRecord>(self);
  return record ? NSNumber::numberWithInt(record->recordID) : nullptr;
}
id callerName(id self, SEL) {
  auto record = cast<CallRecord>(self);
  return record ? NSString::stringWithUTF8String(record->callerName) : nullptr;
}

struct RecordKind {
  const char* className;
  bool uid, recordID, callerName;
};
// Every combination the history holds.
constexpr RecordKind kRecordKinds[] = {
    {"CallBarRecentCall", true, true, true},     {"CallBarContactCall", true, false, false},
    {"CallBarLinkedCall", false, true, true},    {"CallBarRecordCall", false, true, false},
    {"CallBarCallerIDCall", false, false, true}, {"CallBarPlainCall", false, false, false},
};

const RecordKind& kindFor(bool hasUID, bool hasRecordID, bool hasName) {
  for (const RecordKind& kind : kRecordKinds) {
    if (kind.uid == hasUID && kind.recordID == hasRecordID && kind.callerName == hasName) {
      return kind;
    }
  }
  // A record with the identifier and something more keeps the identifier.
  return hasUID ? kRecordKinds[1] : kRecordKinds[3];
}

double dateOf(const id& value) {
  if (auto date = cast<NSDate>(value)) return date->seconds;
  return doubleValue(value);
}

}  // namespace

void registerCallRecordClasses() {
  Class call = CallBarCall::class_();
  define(call, "destinationID", destinationID, "@@:");
  define(call, "startTime", startTime, "d@:");
  for (const RecordKind& kind : kRecordKinds) {
    Class cls = classNamed(kind.className, nullptr);
    if (kind.uid) define(cls, "uid", uid, "i@:");
    if (kind.recordID) define(cls, "addressBookRecordId", addressBookRecordId, "@@:");
    if (kind.callerName) define(cls, "callerName", callerName, "@@:");
  }
}

id makeCallRecord(const std::shared_ptr<NSDictionary>& call) {
  if (!call) return nullptr;
  id uidValue = call->objectForKey("uid"), recordValue = call->objectForKey("recordId");
  auto name = stringValue(call->objectForKey("name"));
  bool hasUID = cast<NSNumber>(uidValue) != nullptr;
  bool hasRecordID = cast<NSNumber>(recordValue) != nullptr;
  bool hasName = name && !name->empty();
  const RecordKind& kind = kindFor(hasUID, hasRecordID, hasName);
  CallFacts facts;
  facts.date = dateOf(call->objectForKey("date"));
  facts.missed = boolValue(call->objectForKey("missed"));
  facts.outgoing = !facts.missed && boolValue(call->objectForKey("outgoing"));
  facts.label = stringValue(call->objectForKey("label")).value_or("");
  return make<CallRecord>(
      objc_getClass(kind.className), static_cast<int32_t>(integerValue(uidValue)),
      static_cast<int32_t>(integerValue(recordValue)), name.value_or(""), std::move(facts));
}

CallFacts callFacts(const id& record) {
  auto known = cast<CallRecord>(record);
  return known ? known->facts : CallFacts{};
}

}  // namespace callbar
