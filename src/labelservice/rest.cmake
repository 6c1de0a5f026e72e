# The SOAP client of the courier's label service and its HTTPS transport.
# Paths are relative to src/labelservice.

add_library(qorita_http STATIC
  http/CurlGlobal.cpp
  http/ExtraCaCertificates.cpp
  http/HttpClient.cpp
  http/Url.cpp
)
target_include_directories(qorita_http PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(qorita_http
  PUBLIC qorita_common
  PRIVATE CURL::libcurl OpenSSL::SSL OpenSSL::Crypto)

add_library(qorita_soap STATIC
  Rest.Description.cpp
  Rest.Envelope.cpp
  Rest.Answer.cpp
  Rest.cpp
  LabelService.cpp
  ServiceCheck.cpp
)
target_include_directories(qorita_soap PUBLIC ${PROJECT_SOURCE_DIR}/src)
# LabelService.cpp, the facade, turns the message documents into the proxy's
# texts and back: hence qorita_messages. The envelope, the answer and the
# description are built and read through qorita_xml, which alone sees libxml2.
target_link_libraries(qorita_soap
  PUBLIC qorita_common qorita_http qorita_messages qorita_xml)

