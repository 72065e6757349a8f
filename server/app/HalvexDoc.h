// The server's document: it holds no data; closing it shuts the server down.
#pragma once
#include "framework/framework.h"

class C_HalvexDoc : public CDocument
{
    DECLARE_DYNCREATE(C_HalvexDoc)
public:
    C_HalvexDoc();
    void Serialize(CArchive& ar) override;
    BOOL OnNewDocument() override;
    // Stops every service through the view, once, then closes as usual.
    void OnCloseDocument() override;
};
