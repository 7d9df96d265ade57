<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>QFaultPost</name>
    <message>
        <source>Sorry, Pixvue an error :(</source>
        <translation>Sorry, Pixvue ran into an error :(</translation>
    </message>
    <message>
        <source>We collected the error information and generated the report (which does not have your privacy), please send it to us to help us fix this error</source>
        <translation>We collected the error information and generated a report (it holds no private data). Please send it to us to help us fix this error</translation>
    </message>
    <message>
        <source>Sorry,uplaod fail,Network error(%1),please retry!</source>
        <translation>Sorry, the upload failed: network error (%1). Please retry!</translation>
    </message>
    <message>
        <source>Sorry,uplaod fail,Unkonw error(%1),please retry!</source>
        <translation>Sorry, the upload failed: unknown error (%1). Please retry!</translation>
    </message>
</context>
</TS>
