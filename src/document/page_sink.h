// What the document readers ask of whoever holds the pages (the viewer): a new page, or a new
// page holding one text frame, each becoming the current page with the next page number.
#pragma once

namespace vr {

class TSurfaceT;
class TDMemo;

class PageSink {
public:
    virtual ~PageSink() = default;
    virtual TSurfaceT& createnewpage(bool hidden) = 0;
    virtual TDMemo& CreateNewMemo() = 0;
};

}  // namespace vr
