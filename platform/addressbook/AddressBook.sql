-- The phone's two address-book databases (iOS 7 to 9), with the tables and columns the phone
-- keeps. Run on a connection to AddressBook.sqlitedb with AddressBookImages.sqlitedb attached as
-- "images". Dates are seconds since 1 January 2001.

-- The accounts cards come from; the phone's own cards are in the local store, row 0.
CREATE TABLE ABStore (
  ROWID INTEGER PRIMARY KEY AUTOINCREMENT,
  Name TEXT,
  ExternalIdentifier TEXT,
  Type INTEGER,
  ConstraintsPath TEXT,
  ExternalModificationTag TEXT,
  ExternalSyncTag TEXT,
  AccountIdentifier TEXT,
  Enabled INTEGER DEFAULT 1,
  SyncData BLOB,
  MeIdentifier INTEGER DEFAULT -1,
  Capabilities INTEGER DEFAULT 0
);
INSERT INTO ABStore (ROWID, Name, Type, Enabled) VALUES (0, 'Local', 0, 1);

-- Cards of one person (the same person from several accounts) share one link.
CREATE TABLE ABPersonLink (
  ROWID INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT,
  PreferredImagePersonID INTEGER,
  PreferredNamePersonID INTEGER
);

-- One row per card; ROWID is the record identifier. Kind 0 is a person, 1 an organisation.
CREATE TABLE ABPerson (
  ROWID INTEGER PRIMARY KEY AUTOINCREMENT,
  First TEXT,
  Last TEXT,
  Middle TEXT,
  FirstPhonetic TEXT,
  MiddlePhonetic TEXT,
  LastPhonetic TEXT,
  Organization TEXT,
  Department TEXT,
  Note TEXT,
  Kind INTEGER DEFAULT 0,
  Birthday TEXT,
  JobTitle TEXT,
  Nickname TEXT,
  Prefix TEXT,
  Suffix TEXT,
  FirstSort TEXT,
  LastSort TEXT,
  CreationDate INTEGER,
  ModificationDate INTEGER,
  CompositeNameFallback TEXT,
  ExternalIdentifier TEXT,
  ExternalModificationTag TEXT,
  ExternalUUID TEXT,
  StoreID INTEGER DEFAULT 0,
  DisplayName TEXT,
  ExternalRepresentation BLOB,
  FirstSortSection TEXT,
  LastSortSection TEXT,
  FirstSortLanguageIndex INTEGER DEFAULT 2147483647,
  LastSortLanguageIndex INTEGER DEFAULT 2147483647,
  PersonLink INTEGER DEFAULT -1,
  ImageURI TEXT,
  IsPreferredName INTEGER DEFAULT 1,
  guid TEXT
);
CREATE INDEX ABPerson_PersonLink ON ABPerson (PersonLink);
-- The change notification asks for the most recently modified person.
CREATE INDEX ABPerson_ModificationDate ON ABPerson (ModificationDate);
CREATE INDEX ABPerson_FirstSort ON ABPerson (FirstSort);
CREATE INDEX ABPerson_LastSort ON ABPerson (LastSort);

CREATE TABLE ABGroup (
  ROWID INTEGER PRIMARY KEY AUTOINCREMENT,
  Name TEXT,
  ExternalIdentifier TEXT,
  StoreID INTEGER DEFAULT 0,
  ExternalModificationTag TEXT,
  ExternalRepresentation BLOB,
  ExternalUUID TEXT,
  guid TEXT
);

CREATE TABLE ABGroupMembers (
  UID INTEGER PRIMARY KEY,
  group_id INTEGER,
  member_type INTEGER,
  member_id INTEGER,
  UNIQUE (group_id, member_type, member_id)
);

CREATE TABLE ABMultiValueLabel (
  value TEXT,
  UNIQUE (value)
);

-- One row per phone number (property 3), e-mail address (4), postal address (5), instant
-- message (13), URL (22), related name (23) or social profile (46). label is a row of
-- ABMultiValueLabel; identifier counts a person's values of one property from 0. Values made of
-- parts (addresses) keep them in ABMultiValueEntry and have no value of their own.
CREATE TABLE ABMultiValue (
  UID INTEGER PRIMARY KEY,
  record_id INTEGER,
  property INTEGER,
  identifier INTEGER,
  label INTEGER,
  value TEXT,
  guid TEXT
);
CREATE INDEX ABMultiValue_record_id ON ABMultiValue (record_id);
-- Serves "value = ? COLLATE NOCASE", lowest record first.
CREATE INDEX ABMultiValue_value ON ABMultiValue (value COLLATE NOCASE, record_id);

CREATE TABLE ABMultiValueEntryKey (
  value TEXT,
  UNIQUE (value)
);

CREATE TABLE ABMultiValueEntry (
  parent_id INTEGER,
  key INTEGER,
  value TEXT,
  UNIQUE (parent_id, key)
);

-- The last four digits of each phone number's national number, so that a number is found
-- without comparing it against every number in the book.
CREATE TABLE ABPhoneLastFour (
  multivalue_id INTEGER PRIMARY KEY,
  value TEXT
);
CREATE INDEX ABPhoneLastFour_value ON ABPhoneLastFour (value);

-- Pictures. Format 0 is the thumbnail, derived from the full-size image (format 2).
CREATE TABLE images.ABThumbnailImage (
  ROWID INTEGER PRIMARY KEY AUTOINCREMENT,
  record_id INTEGER,
  format INTEGER,
  derived_from_format INTEGER,
  width INTEGER,
  height INTEGER,
  left INTEGER,
  top INTEGER,
  right INTEGER,
  bottom INTEGER,
  crop_left INTEGER,
  crop_right INTEGER,
  crop_top INTEGER,
  crop_bottom INTEGER,
  data BLOB
);
CREATE UNIQUE INDEX images.ABThumbnailImage_record_format ON ABThumbnailImage (record_id, format);

CREATE TABLE images.ABFullSizeImage (
  ROWID INTEGER PRIMARY KEY AUTOINCREMENT,
  record_id INTEGER,
  width INTEGER,
  height INTEGER,
  crop_x INTEGER,
  crop_y INTEGER,
  crop_width INTEGER,
  crop_height INTEGER,
  data BLOB
);
CREATE UNIQUE INDEX images.ABFullSizeImage_record ON ABFullSizeImage (record_id);
