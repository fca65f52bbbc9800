' cscript host.vbs SILENT ERRORS QUERY: what a host sees of the Windows server beyond the cycle:
' creation by ProgID, the XML test plan (Load and Save with the host's own element and document
' objects), the discovery query, the operator's Stop Test, and the error paths: a silent
' analyzer (port SILENT), an error reply (port ERRORS), a refused second InitRemote, an invalid
' test and a test on a closed object, each with the number, source and description the host
' receives. Prints "ok ..." or "FAIL ..." per check and exits with the number of failures.
Option Explicit
On Error Resume Next

Const errVTI_Error = -2147179422
Const errVTI_InvalidTest = -2147179416
Dim failures, vti, test, opts, query, doc, element, saved, silentPort, errorPort, queryPort
failures = 0
silentPort = CInt(WScript.Arguments(0))
errorPort = CInt(WScript.Arguments(1))
queryPort = CInt(WScript.Arguments(2))

Sub Expect(sWhat, actual, expected)
  If CStr(actual) = CStr(expected) Then
    WScript.Echo "ok   " & sWhat
  Else
    WScript.Echo "FAIL " & sWhat & ": got [" & actual & "], expected [" & expected & "]"
    failures = failures + 1
  End If
End Sub

Sub ExpectNoError(sWhat)
  If Err.Number <> 0 Then
    WScript.Echo "FAIL " & sWhat & ": error " & Err.Number & " " & Err.Source & " " & Err.Description
    failures = failures + 1
    Err.Clear
  End If
End Sub

Sub ExpectError(sWhat, lNumber, sSource, sDescription)
  Expect sWhat & ": Err.Number", Err.Number, lNumber
  Expect sWhat & ": Err.Source", Err.Source, sSource
  Expect sWhat & ": Err.Description", Err.Description, sDescription
  Err.Clear
End Sub

' The host's XML objects, as late-bound objects of the script itself.
Class XmlElement
  Public TagName
  Private attributes
  Private Sub Class_Initialize
    Set attributes = CreateObject("Scripting.Dictionary")
  End Sub
  Public Function GetAttribute(sName)
    GetAttribute = ""
    If attributes.Exists(sName) Then GetAttribute = attributes(sName)
  End Function
  Public Sub SetAttribute(sName, sValue)
    attributes(sName) = sValue
  End Sub
End Class

Class XmlDocument
  Public Function CreateElement(sName)
    Dim e
    Set e = New XmlElement
    e.TagName = sName
    Set CreateElement = e
  End Function
End Class

' Creation by ProgID: the creatable classes; the others come from the plug-in's properties.
Set vti = CreateObject("OrvexKSV940vti.CKsvVti")
ExpectNoError "CreateObject CKsvVti"
Set test = CreateObject("OrvexKSV940vti.CKsvSafetyTest")
ExpectNoError "CreateObject CKsvSafetyTest"
Set query = CreateObject("OrvexKSV940vti.CKsvMlcQuery")
ExpectNoError "CreateObject CKsvMlcQuery"
Set opts = CreateObject("OrvexKSV940vti.CKsvTestOptions")
Expect "CKsvTestOptions is not creatable", Err.Number, 429
Err.Clear
Set opts = vti.testOptions
ExpectNoError "testOptions"
Expect "a new plug-in is closed", vti.State, 0
Expect "DelayTimePowerOn default", opts.DelayTimePowerOn, 2
Expect "a new result is not performed", vti.TestResult.State, 0
Expect "FlagAbort of a new plug-in", vti.FlagAbort, False
Expect "ChkCmdAppPODelay MAINS=230", vti.ChkCmdAppPODelay("MAINS=230"), True
Expect "ChkCmdAppPODelay mains=230", vti.ChkCmdAppPODelay("mains=230"), False
Expect "SetWaveformCmd", opts.SetWaveformCmd, "CPL30"

' The test plan: Load and Save through the host's element and document.
Set element = New XmlElement
element.TagName = "KSV940Test"
element.SetAttribute "ID", "9"
element.SetAttribute "PC", "3"
test.Load element
ExpectNoError "Load"
Expect "loaded TestCode", test.TestCode, 9
Expect "loaded PowerConfig", test.PowerConfig, 3
Expect "loaded LeadNo", test.LeadNo, 1
Expect "Unit", test.Unit, "uA"
Set doc = New XmlDocument
Set saved = test.Save(doc)
ExpectNoError "Save"
Expect "saved element", saved.TagName & " " & saved.GetAttribute("ID") & " " & saved.GetAttribute("PC"), "KSV940Test 9 3"

' An invalid test: raised by the test itself, no message box.
test.Initialize 1, 1
ExpectError "Initialize 1, 1", errVTI_InvalidTest, "CKsvSafetyTest", _
  "The selected test (TestNo = 1, Power Config = 1, Lead No = -1) is not a valid KSV940 test and cannot be performed."

' A test on a closed plug-in.
test.Initialize 8, 3
vti.RunSafetyTest test, Nothing
ExpectError "RunSafetyTest while closed", errVTI_Error, "CKsvVti", "Can not open port %%1"
Expect "State after a refused test", vti.State, 2

' A silent analyzer.
Set vti = CreateObject("OrvexKSV940vti.CKsvVti")
vti.InitRemote silentPort
ExpectError "InitRemote on a silent analyzer", errVTI_Error, "CKsvVti", _
  "Instrument is not responding, Please restart the instrument."
Expect "State after a failed InitRemote", vti.State, 0

' An error reply in the middle of a test.
vti.InitRemote errorPort
ExpectNoError "InitRemote on the analyzer that refuses earthl"
vti.RunSafetyTest test, Nothing
ExpectError "RunSafetyTest with an error reply", errVTI_Error, "CKsvVti", _
  "The test could not be completed due to a communication error"
Expect "State after a failed test", vti.State, 2

' The operator stops the test at the first stop dialog (the operator's rule for it is Stop Test).
vti.testOptions.StopBeforeNewPC = True
test.Initialize 9, 3
vti.RunSafetyTest test, Nothing
ExpectNoError "RunSafetyTest stopped by the operator"
Expect "FlagAbort after Stop Test", vti.FlagAbort, True
Expect "result after Stop Test", vti.TestResult.State, 0
vti.StopFlagForAPScreen = False
Expect "FlagAbort after StopFlagForAPScreen = False", vti.FlagAbort, False

' A second InitRemote on a connected plug-in is refused and ends the connection.
vti.InitRemote errorPort
ExpectError "a second InitRemote", errVTI_Error, "CKsvVti", "The channel is already open on port " & errorPort & "."
Expect "State after the refused InitRemote", vti.State, 0
vti.EndRemote Nothing
ExpectNoError "EndRemote"

' The discovery query through the default interface: the record's Result, then the fields.
Expect "MtiType", query.MtiType, "KSV940"
Expect "QueryMTI", query.QueryMTI(queryPort), 2
ExpectNoError "QueryMTI"
Expect "SerialNo", query.SerialNo, "K9400123"
Expect "FWVersion", query.FWVersion, "1.20"

WScript.Echo failures & " failed"
WScript.Quit failures
