// A test that runs on a device holding the hand-picked sample address book, with the contact
// lookup's per-process state cleared before and after.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "ContactLookupState.h"
#include "SampleDevice.h"
#include "TemporaryDevice.h"

class HandPickedBookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TalvoCBResetContactLookup();
    std::string error;
    ASSERT_TRUE(sample::writeHandPickedAddressBook(device.root(), "US", nullptr, &error)) << error;
  }
  void TearDown() override { TalvoCBResetContactLookup(); }

  TemporaryDevice device;
};
