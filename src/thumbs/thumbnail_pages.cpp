#include "thumbs/thumbnail_pages.h"

#include <algorithm>

namespace plivora {

ThumbnailPagePlan planThumbnailPage(int fileCount, int nextFileIndex) {
    ThumbnailPagePlan plan;
    plan.first = nextFileIndex;
    plan.pageNumber = (nextFileIndex - 1) / kThumbnailsPerPage + 1;
    const int pageEnd = plan.pageNumber * kThumbnailsPerPage;
    plan.last = std::min({fileCount, kMostThumbnailFiles, pageEnd});
    plan.hasNextPage = plan.last == pageEnd && pageEnd < kMostThumbnailFiles && pageEnd < fileCount;
    return plan;
}

PageButtons pageButtons(int pageShown, int pagesBuilt, int nextFileIndex) {
    // A next file index of 1 means no page is left to build.
    const bool pageToBuild = nextFileIndex != 1;
    return {.back = pageShown >= 2 && pageShown <= pagesBuilt,
            .next = pageShown < pagesBuilt || pageToBuild};
}

std::string pageLabel(int pageNumber) {
    return pageNumber == kNoPage ? std::string() : "P." + std::to_string(pageNumber);
}

}  // namespace plivora
