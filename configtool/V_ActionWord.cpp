#include "configtool/V_ActionWord.h"
#include "configtool/resource.h"

IMPLEMENT_DYNAMIC(CV_ActionWord1, CV_Common)
IMPLEMENT_DYNAMIC(CV_ActionWord2, CV_ActionWord1)

namespace {
CString LoadCaption(UINT id) {
    CString text;
    if (id) text.LoadString(id);
    return text;
}

// One column's controls, in the order of the word's bits.
struct ColumnIds {
    int caption, action1, action2, egress1, egress2, sensor1, sensor2, registration;
};
const ColumnIds Columns[] = {
    {IDC_CAPTION1, IDC_ACTION1_RELAY1, IDC_ACTION1_RELAY2, IDC_EGRESS1_RELAY1, IDC_EGRESS1_RELAY2, IDC_SENSOR1_RELAY1,
     IDC_SENSOR1_RELAY2, IDC_REGISTRATION1},
    {IDC_CAPTION2, IDC_ACTION2_RELAY1, IDC_ACTION2_RELAY2, IDC_EGRESS2_RELAY1, IDC_EGRESS2_RELAY2, IDC_SENSOR2_RELAY1,
     IDC_SENSOR2_RELAY2, IDC_REGISTRATION2},
};

void ExchangeColumn(CDataExchange* dx, const ColumnIds& ids, CActionColumn& column) {
    ConfigWords::ActionFields& f = column.fields;
    DDX_Text(dx, ids.caption, column.caption);
    DDX_Check(dx, ids.registration, f.registration);
    DDX_CBIndex(dx, ids.action1, f.relay1Action);
    DDX_CBIndex(dx, ids.action2, f.relay2Action);
    DDX_CBIndex(dx, ids.sensor1, f.relay1Sensor);
    DDX_CBIndex(dx, ids.sensor2, f.relay2Sensor);
    DDX_CBIndex(dx, ids.egress1, f.relay1Egress);
    DDX_CBIndex(dx, ids.egress2, f.relay2Egress);
}
}  // namespace

CV_ActionWord1::CV_ActionWord1(UINT templateId, UINT titleId, UINT captionId, int location)
    : CV_Common(templateId, titleId), m_nColumns(0) {
    AddColumn(captionId, location);
}

void CV_ActionWord1::AddColumn(UINT captionId, int location) {
    if (m_nColumns >= MaxColumns) return;
    CActionColumn& column = m_columns[m_nColumns++];
    column.caption = LoadCaption(captionId);
    column.location = location;
}

void CV_ActionWord1::DoDataExchange(CDataExchange* dx) {
    CV_Common::DoDataExchange(dx);
    for (int i = 0; i < m_nColumns; ++i) ExchangeColumn(dx, Columns[i], m_columns[i]);
}

void CV_ActionWord1::OnInitialUpdate() {
    CV_Common::OnInitialUpdate();
    for (int i = 0; i < m_nColumns; ++i) {
        CActionColumn& column = m_columns[i];
        column.egressRelay1.SubclassDlgItem(Columns[i].egress1, this);
        column.egressRelay2.SubclassDlgItem(Columns[i].egress2, this);
        column.sensorRelay1.SubclassDlgItem(Columns[i].sensor1, this);
        column.sensorRelay2.SubclassDlgItem(Columns[i].sensor2, this);
    }
    m_labelRelay1.SubclassDlgItem(IDC_LABEL_RELAY1, this);
    m_labelRelay2.SubclassDlgItem(IDC_LABEL_RELAY2, this);
    m_labelRegistration.SubclassDlgItem(IDC_LABEL_REGISTRATION, this);
}

void CV_ActionWord1::ResetPage() {
    CV_Common::ResetPage();
    for (int i = 0; i < m_nColumns; ++i) StoreWord(m_columns[i].location, ConfigWords::ActionWordDefault);
    LoadPageFromDocument();
}

void CV_ActionWord1::SavePageToDocument() {
    CV_Common::SavePageToDocument();
    if (!UpdateData(TRUE)) return;
    for (int i = 0; i < m_nColumns; ++i)
        StoreWord(m_columns[i].location, ConfigWords::PackAction(m_columns[i].fields));
}

void CV_ActionWord1::LoadPageFromDocument() {
    if (!m_pDoc) return;
    for (int i = 0; i < m_nColumns; ++i)
        m_columns[i].fields = ConfigWords::UnpackAction(DocumentWord(m_columns[i].location));
    UpdateData(FALSE);
}

// A one-word template has no second column: its notifications never come.
BEGIN_MESSAGE_MAP(CV_ActionWord1, CV_Common)
    ON_CBN_SELCHANGE(IDC_ACTION1_RELAY1, OnEdit)
    ON_CBN_SELCHANGE(IDC_ACTION1_RELAY2, OnEdit)
    ON_CBN_SELCHANGE(IDC_EGRESS1_RELAY1, OnEdit)
    ON_CBN_SELCHANGE(IDC_EGRESS1_RELAY2, OnEdit)
    ON_CBN_SELCHANGE(IDC_SENSOR1_RELAY1, OnEdit)
    ON_CBN_SELCHANGE(IDC_SENSOR1_RELAY2, OnEdit)
    ON_BN_CLICKED(IDC_REGISTRATION1, OnEdit)
    ON_CBN_SELCHANGE(IDC_ACTION2_RELAY1, OnEdit)
    ON_CBN_SELCHANGE(IDC_ACTION2_RELAY2, OnEdit)
    ON_CBN_SELCHANGE(IDC_EGRESS2_RELAY1, OnEdit)
    ON_CBN_SELCHANGE(IDC_EGRESS2_RELAY2, OnEdit)
    ON_CBN_SELCHANGE(IDC_SENSOR2_RELAY1, OnEdit)
    ON_CBN_SELCHANGE(IDC_SENSOR2_RELAY2, OnEdit)
    ON_BN_CLICKED(IDC_REGISTRATION2, OnEdit)
END_MESSAGE_MAP()

CV_ActionWord2::CV_ActionWord2(UINT templateId, UINT titleId, UINT caption1Id, UINT caption2Id, int location1,
                               int location2)
    : CV_ActionWord1(templateId, titleId, caption1Id, location1) {
    AddColumn(caption2Id, location2);
}

// ---- the pages -------------------------------------------------------------------

#define ORIMBEL_TWO_WORD_PAGE(name, title, caption1, caption2, location1, location2) \
    IMPLEMENT_DYNCREATE(name, CV_ActionWord2)                                         \
    name::name() : CV_ActionWord2(IDD_TWO_WORDS, title, caption1, caption2, location1, location2) {}
#define ORIMBEL_ONE_WORD_PAGE(name, title, location) \
    IMPLEMENT_DYNCREATE(name, CV_ActionWord1)         \
    name::name() : CV_ActionWord1(IDD_ONE_WORD, title, 0, location) {}

ORIMBEL_TWO_WORD_PAGE(CV_Reader1, IDS_READER1, IDS_T1, IDS_T1A, 497, 498)
ORIMBEL_TWO_WORD_PAGE(CV_Reader2, IDS_READER2, IDS_T2, IDS_T2A, 499, 500)
ORIMBEL_TWO_WORD_PAGE(CV_Sensors, IDS_SENSOR, IDS_OPENED, IDS_CLOSED, 501, 502)
ORIMBEL_TWO_WORD_PAGE(CV_Egress, IDS_EGRESS, IDS_OPENED, IDS_CLOSED, 503, 504)
ORIMBEL_TWO_WORD_PAGE(CV_Alarm, IDS_ALARM, IDS_OPENED, IDS_CLOSED, 505, 506)
ORIMBEL_ONE_WORD_PAGE(CV_ForcedEntry, IDS_FORCED_ENTRY, 507)
ORIMBEL_ONE_WORD_PAGE(CV_DOTL, IDS_DOOR_OPEN_TOO_LONG, 508)
