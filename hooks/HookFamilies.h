// The families of the hook table, installed in the table's order by the constructor.
#pragma once

void installCNMonogrammerHooks();      // rows 1-3, version 9 on
void installCNContactListHooks();      // rows 4-5, version 9 on
void installABMonogrammerHooks();      // rows 6-8, before version 9
void installABMemberListHooks();       // rows 9-12
void installCallBarControllerHooks();  // rows 13-19
void installCallBarListHooks();        // rows 20-26
void registerNotificationObservers();
