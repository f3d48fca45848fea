#pragma once
#include <windows.h>
#include <commctrl.h>

#include "base/Handles.h"

namespace ui {

// An image list of square images.
class ImageList {
public:
    explicit ImageList(int size = 32);
    ~ImageList();
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;
    void AddIcon(HICON icon);
    // Appends the images of a bitmap as wide as a row of them, with its mask.
    void Add(HBITMAP images, HBITMAP mask);
    int Count() const;
    // A new icon of image index; the caller owns it.
    base::UniqueIcon GetIcon(int index) const;
    HIMAGELIST Handle() const { return list_; }
    int Size() const { return size_; }

private:
    HIMAGELIST list_ = nullptr;
    int size_;
};

}  // namespace ui
