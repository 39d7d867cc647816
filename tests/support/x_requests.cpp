#include "support/x_requests.h"

#include <xcb/record.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace finbowl::testing {
namespace {

constexpr std::uint8_t kCopyArea = 62;
constexpr std::uint8_t kPolyFillRectangle = 70;
constexpr std::uint8_t kPutImage = 72;
constexpr std::uint8_t kRenderComposite = 8;
constexpr std::uint8_t kFromClient = 1;
constexpr std::uint8_t kEndOfData = 5;

std::uint16_t Card16(const std::uint8_t* p) {
  std::uint16_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

std::uint32_t Card32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

}  // namespace

DrawingRequests::DrawingRequests(const std::string& display, std::uint32_t clientResource) {
  control_ = xcb_connect(display.c_str(), nullptr);
  data_ = xcb_connect(display.c_str(), nullptr);
  if (xcb_connection_has_error(control_) || xcb_connection_has_error(data_)) {
    throw std::runtime_error("cannot connect to " + display);
  }
  const xcb_query_extension_reply_t* record = xcb_get_extension_data(control_, &xcb_record_id);
  if (!record || !record->present) {
    throw std::runtime_error("the X server has no RECORD extension");
  }
  xcb_query_extension_reply_t* renderReply =
      xcb_query_extension_reply(control_, xcb_query_extension(control_, 6, "RENDER"), nullptr);
  if (renderReply) {
    renderOpcode_ = renderReply->present ? renderReply->major_opcode : 0;
    std::free(renderReply);
  }
  xcb_record_range_t range{};
  range.core_requests = {1, 127};
  range.ext_requests.major = {128, 255};
  range.ext_requests.minor = {0, 0xFFFF};
  context_ = xcb_generate_id(control_);
  const xcb_record_client_spec_t client = clientResource;
  xcb_void_cookie_t made =
      xcb_record_create_context_checked(control_, context_, 0, 1, 1, &client, &range);
  if (xcb_generic_error_t* error = xcb_request_check(control_, made)) {
    std::free(error);
    throw std::runtime_error("cannot record the client's requests");
  }
  reader_ = std::thread([this] { Read(); });
}

DrawingRequests::~DrawingRequests() {
  xcb_record_disable_context(control_, context_);
  xcb_flush(control_);
  reader_.join();
  xcb_record_free_context(control_, context_);
  xcb_flush(control_);
  xcb_disconnect(data_);
  xcb_disconnect(control_);
}

void DrawingRequests::Reset() {
  count_ = 0;
  biggestW_ = 0;
  biggestH_ = 0;
}

void DrawingRequests::Read() {
  const xcb_record_enable_context_cookie_t cookie = xcb_record_enable_context(data_, context_);
  // The replies go on until the context is disabled from the other connection.
  while (xcb_record_enable_context_reply_t* reply =
             xcb_record_enable_context_reply(data_, cookie, nullptr)) {
    const std::uint8_t category = reply->category;
    if (category == kFromClient) {
      Take(xcb_record_enable_context_data(reply),
           static_cast<std::size_t>(xcb_record_enable_context_data_length(reply)));
    }
    std::free(reply);
    if (category == kEndOfData) {
      return;
    }
  }
}

void DrawingRequests::Take(const std::uint8_t* data, std::size_t bytes) {
  while (bytes >= 4) {
    std::size_t length = std::size_t{Card16(data + 2)} * 4;
    if (length == 0 && bytes >= 8) {
      length = std::size_t{Card32(data + 4)} * 4;  // a big request
    }
    if (length < 4 || length > bytes) {
      return;
    }
    const std::uint8_t opcode = data[0];
    int w = 0, h = 0;
    bool drawing = opcode == kPolyFillRectangle || opcode == kPutImage;
    if (opcode == kCopyArea && length >= 28) {
      drawing = true;
      w = Card16(data + 24);
      h = Card16(data + 26);
    } else if (renderOpcode_ != 0 && opcode == renderOpcode_) {
      drawing = true;
      if (data[1] == kRenderComposite && length >= 36) {
        w = Card16(data + 32);
        h = Card16(data + 34);
      }
    }
    if (drawing) {
      ++count_;
    }
    if (w * h > biggestW_ * biggestH_) {
      biggestW_ = w;
      biggestH_ = h;
    }
    data += length;
    bytes -= length;
  }
}

}  // namespace finbowl::testing
