#pragma once

// Text and flat shapes drawn one after another share one entry into their drawing state (the 2D
// mode of pixels, lighting and texturing off) and one way out of it. While a batch is alive,
// DrawFontString and DrawConsoleBackground find that state set and leave it set; the outermost
// batch restores what each of them restores on its own: the 3D matrices with the model-view one
// selected, and lighting and texturing on. Drawing inside a batch must not leave that state
// changed (widgets that change more push and pop the attributes they touch).
class cTextBatch
{
public:
    cTextBatch();
    ~cTextBatch();
    cTextBatch(const cTextBatch&) = delete;
    cTextBatch& operator=(const cTextBatch&) = delete;

private:
    bool m_Outermost;
};
