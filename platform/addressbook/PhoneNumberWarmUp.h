// Readies libphonenumber before a process knows its device: its metadata read, and the patterns
// that parsing, matching and formatting compile on first use made for the numbers of the
// phones' books. A process that forks children after this hands them all of it.
#pragma once

namespace standin {

void warmUpPhoneNumbers();

}  // namespace standin
