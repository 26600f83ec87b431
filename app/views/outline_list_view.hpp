#pragma once

#include "app/views/document_view.hpp"

#include <QPointer>

class QListWidget;

namespace velmora {

// A read-only list of the document's visible rows, indented by depth, with the selected row
// highlighted. Menu commands run on the session; the full editor replaces this view later.
class OutlineListView final : public DocumentView {
public:
    OutlineListView(VelmoraDocument& document, DocumentViewHost& host);
    ~OutlineListView() override;

    QWidget* widget() override;
    void refresh() override;
    void commitEditing() override {}
    [[nodiscard]] bool canPerform(Action action) const override;
    void perform(Action action) override;
    void relocalize() override {}

private:
    VelmoraDocument& m_document;
    DocumentViewHost& m_host;
    QPointer<QListWidget> m_list;
};

} // namespace velmora
