// The waybill as report definition text: the labels of a template layout become memo
// objects on one page of the template's paper size, in the report XML format the report
// wrapper loads. The page carries only the label texts and one fixed line at the top
// left; the picture is not printed, so the texts land in the fields of the pre-printed
// waybill.
#pragma once

#include <functional>

#include "app/WaybillLayout.h"
#include "platform/rtl/Types.h"

// Text put into an XML attribute value: '"', '&', '<' and '>' become character
// references (&#34; &#38; &#60; &#62;); everything else, line breaks included, stays.
AnsiString EscapeXmlAttribute(const AnsiString& Value);

// One memo element for a label: its name, its position relative to the template picture
// (position + scroll), height x 1.8, font height -(size + 6), bold as style 1, and its
// text (empty when the label shows the blank-text placeholder).
AnsiString BuildMemoXml(const TWaybillLabel& Label, Integer ScrollX, Integer ScrollY);

// The report text: the XML header, the report and page elements for the layout's paper
// size, the fixed memo and one memo per label in the layout's order. Lines are joined as
// built (the page element and each memo end with CR LF; the text's end has none).
AnsiString BuildReportXml(const TWaybillLayout& Layout);

// The bytes the preview loads: the report text split at CR, LF or CR LF, every line
// followed by CR LF. GBK bytes, whatever the header says.
AnsiString BuildReportPreviewText(const TWaybillLayout& Layout);

class TStream;

// Previews the waybill of a layout: the preview text (BuildReportPreviewText) goes, as a
// stream positioned at 0, to the previewer the report wrapper installs, which loads it into
// a report and shows it. Until a previewer is installed nothing is shown.
using TWaybillPreviewer = std::function<void(TStream* ReportText)>;
// Installs Previewer (an empty one removes it) and returns the previous one.
TWaybillPreviewer SetWaybillPreviewer(TWaybillPreviewer Previewer);
void PreviewWaybill(const TWaybillLayout& Layout);
