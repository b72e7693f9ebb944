# Labels count characters of UTF-8 text (io/utf8_text).
target_link_libraries(kestro_scan PUBLIC kestro_io)
