// The switches as the hooks read them: a look or a place counts only while the add-on is on. Each
// call asks the shared settings afresh.
#pragma once

bool monogramsOn();
bool roundedPicturesOn();
bool picturesOnFavorites();
bool picturesOnPhone();
bool picturesOnRecents();
bool picturesOnContacts();
