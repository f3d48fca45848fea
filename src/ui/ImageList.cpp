#include "ui/ImageList.h"

namespace ui {

ImageList::ImageList(int size)
    : list_(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 8, 0)), size_(size) {}

ImageList::~ImageList() {
    if (list_) ImageList_Destroy(list_);
}

void ImageList::AddIcon(HICON icon) { ImageList_ReplaceIcon(list_, -1, icon); }

void ImageList::Add(HBITMAP images, HBITMAP mask) { ImageList_Add(list_, images, mask); }

int ImageList::Count() const { return ImageList_GetImageCount(list_); }

base::UniqueIcon ImageList::GetIcon(int index) const {
    if (index < 0 || index >= Count()) return base::UniqueIcon();
    return base::UniqueIcon(ImageList_GetIcon(list_, index, ILD_NORMAL));
}

}  // namespace ui
