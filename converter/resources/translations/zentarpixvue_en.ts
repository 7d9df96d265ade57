<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>QLanguageDialog</name>
    <message>
        <source>The progam will restart to apply your change</source>
        <translation>The program will restart to apply your change</translation>
    </message>
</context>
</TS>
