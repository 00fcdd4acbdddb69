// libjpeg's errors as a jump back to the caller instead of its default exit of the process.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdio>

// jpeglib.h needs size_t and FILE first.
#include <jpeglib.h>

namespace standin {

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf escape;
};

[[noreturn]] inline void jpegFail(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->escape, 1);
}

}  // namespace standin
