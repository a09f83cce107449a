// The program's bitmaps, registered under a resource id and loaded by it, shared by
// every window that shows them.
#include <map>
#include <mutex>

#include "ui/toolkit/controls/pel_window.h"

namespace {

std::mutex bitmapLock;
std::map<int, std::shared_ptr<const Bitmap>> bitmapResources;

}  // namespace

void RegisterBitmapResource(int id, Bitmap bitmap) {
  std::lock_guard guard(bitmapLock);
  bitmapResources[id] = std::make_shared<const Bitmap>(std::move(bitmap));
}

bool PelLoadBitmap(int id, std::shared_ptr<const Bitmap>& bitmap) {
  std::lock_guard guard(bitmapLock);
  auto found = bitmapResources.find(id);
  bitmap = found == bitmapResources.end() ? nullptr : found->second;
  return bitmap != nullptr;
}

void PelDeleteBitmap(std::shared_ptr<const Bitmap>& bitmap) { bitmap.reset(); }
