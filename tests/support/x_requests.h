#pragma once

#include <xcb/xcb.h>

#include <atomic>
#include <string>
#include <thread>

namespace finbowl::testing {

// Watches the drawing requests one client sends to an X server, through the
// server's RECORD extension: copies, fills, images and Render requests. The
// client is named by any resource it owns, such as one of its windows.
class DrawingRequests {
 public:
  DrawingRequests(const std::string& display, std::uint32_t clientResource);
  ~DrawingRequests();
  DrawingRequests(const DrawingRequests&) = delete;
  DrawingRequests& operator=(const DrawingRequests&) = delete;

  // Drawing requests seen since the start or the last Reset, and the width
  // and height of the biggest copy (CopyArea or Render Composite) among them.
  int Count() const { return count_; }
  int BiggestCopyWidth() const { return biggestW_; }
  int BiggestCopyHeight() const { return biggestH_; }
  void Reset();

 private:
  void Read();
  void Take(const std::uint8_t* data, std::size_t bytes);

  xcb_connection_t* control_ = nullptr;
  xcb_connection_t* data_ = nullptr;
  std::uint32_t context_ = 0;
  std::uint8_t renderOpcode_ = 0;
  std::atomic<int> count_{0};
  std::atomic<int> biggestW_{0}, biggestH_{0};
  std::thread reader_;
};

}  // namespace finbowl::testing
