#pragma once

#include <string>

namespace plivora {

// The arithmetic of the thumbnail pages, apart from any window: a page holds up to 60 of the main
// window's files and at most 300 files are ever paged. File indexes count from 1, as the page
// counters do.
inline constexpr int kThumbnailsPerPage = 60;
inline constexpr int kMostThumbnailFiles = 300;

// The page a fill builds, starting at the file index the page counters hold.
struct ThumbnailPagePlan {
    int first = 1;             // the first file of the page
    int last = 0;              // its last file; before `first` when no file is left
    int pageNumber = 1;        // from 1; the page's list is lvShadow(pageNumber - 1)
    bool hasNextPage = false;  // a full page with files after it, within the 300
};

ThumbnailPagePlan planThumbnailPage(int fileCount, int nextFileIndex);

// Which of the thumbnail window's Back and Next apply, from the page counters: Back from the
// second page built on, Next where a later page is built or still to be built.
struct PageButtons {
    bool back = false;
    bool next = false;
};

PageButtons pageButtons(int pageShown, int pagesBuilt, int nextFileIndex);

// The thumbnail window's page label for a page number from 1: "P." and the number, without a
// space ("P.2"). kNoPage has an empty label: the window as loaded, and the first page of a fresh
// set of pages, show none.
inline constexpr int kNoPage = 0;
std::string pageLabel(int pageNumber);

}  // namespace plivora
