# The headers a developer who embeds the pages includes: the pages, the three
# channel controls, the contracts a host implements and what those include.
# The install rules and the API reference both read this one list. The install
# rules add the generated QT27Controls/Version.h (QT27_VERSION).
set(QT27_PUBLIC_HEADERS
  QT27Controls/about/About.h
  QT27Controls/parameter/Parameter.h
  QT27Controls/parameter/ChannelParameter.h
  QT27Controls/observation/Observation.h
  QT27Controls/observation/ChannelObservation.h
  QT27Controls/observation/ChannelUnitDisplay.h
  QT27Controls/observation/ChannelScaling.h
  QT27Controls/simulation/Simulation.h
  QT27Controls/simulation/ChannelSimulation.h
  QT27Controls/diagnosis/Diagnosis.h
  QT27Controls/identification/Identification.h
  QT27Controls/communication/OnlinePage.h
  QT27Controls/communication/ReadCyclePage.h
  QT27Controls/communication/CommunicationService.h
  QT27Controls/communication/IBaseCommunicationCallback.h
  QT27Controls/framework/PageFrame.h
  QT27Controls/framework/BaseDtm.h
  QT27Controls/framework/QT27Dtm.h
  QT27Controls/framework/ParameterManager.h
  QT27Controls/framework/IDtmActiveXControl.h
  QT27Controls/framework/MessageService.h
  QT27Controls/framework/FdtChannel.h
  QT27Controls/framework/DtmEvents.h
  QT27Controls/framework/AuditTrail.h
  QT27Controls/common/ApplicationFolder.h
  rmox/Communication/DocumentReaders.h
  rmox/ResourceServer/ResourceManager.h
)
