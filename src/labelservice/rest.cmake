# The SOAP client of the courier's label service and its HTTPS transport.
# Paths are relative to src/labelservice.

add_library(qorita_http STATIC
  http/CurlGlobal.cpp
  http/HttpClient.cpp
  http/Url.cpp
)
target_include_directories(qorita_http PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(qorita_http PUBLIC qorita_common PRIVATE CURL::libcurl)
# The extra certificate authorities go to the TLS backend libcurl uses:
# OpenSSL on Linux, Schannel on Windows.
if(WIN32)
  target_sources(qorita_http PRIVATE http/ExtraCaCertificates.Schannel.cpp)
  target_link_libraries(qorita_http PRIVATE crypt32)
else()
  target_sources(qorita_http PRIVATE http/ExtraCaCertificates.OpenSsl.cpp)
  target_link_libraries(qorita_http PRIVATE OpenSSL::SSL OpenSSL::Crypto)
endif()

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

