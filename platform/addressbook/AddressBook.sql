-- The simulated phone's two address-book databases. Run on a connection to AddressBook.sqlitedb
-- with AddressBookImages.sqlitedb attached as "images".

-- Cards of one person (the same person from several accounts) share one link.
CREATE TABLE ABPersonLink (
  ROWID INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT
);

-- One row per card; ROWID is the record identifier.
CREATE TABLE ABPerson (
  ROWID INTEGER PRIMARY KEY AUTOINCREMENT,
  First TEXT,
  Last TEXT,
  Middle TEXT,
  Organization TEXT,
  Kind INTEGER DEFAULT 0,
  CreationDate INTEGER,
  ModificationDate INTEGER,
  PersonLink INTEGER DEFAULT -1
);
CREATE INDEX ABPerson_PersonLink ON ABPerson (PersonLink);
-- The change notification asks for the most recently modified person.
CREATE INDEX ABPerson_ModificationDate ON ABPerson (ModificationDate);

CREATE TABLE ABMultiValueLabel (
  value TEXT,
  UNIQUE (value)
);

-- One row per phone number (property 3), e-mail address (property 4) or other entry.
CREATE TABLE ABMultiValue (
  UID INTEGER PRIMARY KEY,
  record_id INTEGER,
  property INTEGER,
  identifier INTEGER,
  label INTEGER,
  value TEXT
);
CREATE INDEX ABMultiValue_record_id ON ABMultiValue (record_id);
-- Serves "value = ? COLLATE NOCASE", lowest record first.
CREATE INDEX ABMultiValue_value ON ABMultiValue (value COLLATE NOCASE, record_id);

-- The last four digits of each phone number's national number, so that a number is found
-- without comparing it against every number in the book.
CREATE TABLE ABPhoneLastFour (
  multivalue_id INTEGER PRIMARY KEY,
  value TEXT
);
CREATE INDEX ABPhoneLastFour_value ON ABPhoneLastFour (value);

-- Pictures. Format 0 is the thumbnail.
CREATE TABLE images.ABThumbnailImage (
  ROWID INTEGER PRIMARY KEY AUTOINCREMENT,
  record_id INTEGER,
  format INTEGER,
  derived_from_format INTEGER,
  width INTEGER,
  height INTEGER,
  data BLOB
);
CREATE UNIQUE INDEX images.ABThumbnailImage_record_format ON ABThumbnailImage (record_id, format);

CREATE TABLE images.ABFullSizeImage (
  ROWID INTEGER PRIMARY KEY AUTOINCREMENT,
  record_id INTEGER,
  width INTEGER,
  height INTEGER,
  data BLOB
);
CREATE UNIQUE INDEX images.ABFullSizeImage_record ON ABFullSizeImage (record_id);
