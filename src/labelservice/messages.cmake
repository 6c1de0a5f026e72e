# The six message documents exchanged with the courier, over the XML binding layer.
add_library(qorita_messages STATIC
  AddParcel.Request.cpp
  AddParcel.Response.cpp
  CWDBSN.Request.cpp
  CWDBSN.Response.cpp
  DeleteSped.Request.cpp
  DeleteSped.Response.cpp
  CourierRules.cpp
  RestMessage.cpp
)
target_link_libraries(qorita_messages PUBLIC qorita_xml)
