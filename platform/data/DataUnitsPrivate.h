// The class registrations of the data library, each defined at the top of the .cpp of the
// classes it registers; DataUnits.cpp calls them from the unit initializations in the
// system's unit order. Not for use outside platform/data.
#pragma once

// DB.
void RegisterParamsClasses();     // Params.cpp
void RegisterFieldDefsClasses();  // FieldDefs.cpp
void RegisterDataSetClasses();    // DataSet.cpp
void RegisterDataLinkClasses();   // DataLink.cpp
void RegisterMemDataSetClasses(); // MemDataSet.cpp
void RegisterFieldClasses();      // Fields.cpp

// ADODB.
void RegisterADODBClasses(); // ADODB.cpp
